// bench_window.cpp — one slider step in the main window as a user makes it: handler, rebuild, upload and the frame.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/core/param_table.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "app/scroll_bar.h"

namespace {

void SliderStep(benchmark::State& state, korvel::TForm1& w, bool view3D) {
    if (w.Act3D->isChecked() != view3D) w.Act3D->trigger();
    korvel::THScrollBar* bar = w.BarOf(korvel::Bar::TEA);
    int step = 0;
    for (auto _ : state) {
        bar->SetPosition(4400 + (++step % 2));
        // The paint that follows: the upload and the frame in 3D, the copy of the drawing in 2D.
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(w.Model.TriangleLast);
    }
    state.SetLabel(QGuiApplication::platformName().toStdString());
}

}  // namespace

// The application and the window live in main and go, window first, before it returns: left to the exit
// handlers they would be torn down after Qt's own globals, and the window's hide would crash.
int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // The platform the environment names; offscreen when there is no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;  // only the program's name: the benchmark's own flags are not Qt's
    QApplication app(qtArgc, argv);
    korvel::QtPrompter prompter;
    korvel::TForm1 window(prompter);
    window.show();
    QApplication::processEvents();

    benchmark::RegisterBenchmark("SliderStep3D", [&window](benchmark::State& s) { SliderStep(s, window, true); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SliderStep2D", [&window](benchmark::State& s) { SliderStep(s, window, false); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
