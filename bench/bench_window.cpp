// bench_window.cpp — one slider step in the main window as a user makes it: handler, rebuild, upload and the frame.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>

#include "app/core/param_table.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "app/scroll_bar.h"

namespace {

// The window on the platform the environment names; offscreen when there is no display.
korvel::TForm1& Window() {
    static std::unique_ptr<korvel::TForm1> window;
    if (!window) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_window";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
        static korvel::QtPrompter prompter;
        window = std::make_unique<korvel::TForm1>(prompter);
        window->show();
        QApplication::processEvents();
    }
    return *window;
}

void SliderStep(benchmark::State& state, bool view3D) {
    korvel::TForm1& w = Window();
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

void SliderStep3D(benchmark::State& state) { SliderStep(state, true); }
void SliderStep2D(benchmark::State& state) { SliderStep(state, false); }

}  // namespace

BENCHMARK(SliderStep3D)->Unit(benchmark::kMillisecond);
BENCHMARK(SliderStep2D)->Unit(benchmark::kMillisecond);
