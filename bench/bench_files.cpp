// bench_files.cpp — Ctrl+S of the default project over an existing file: the atomic replacement, and the write in place.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/core/project_file.h"

namespace {

// range(0): 0 a file of one name (a new file renamed over it), 1 a file with a second hard link (written in
// place). The file system's flush dominates both.
void BM_SaveProject(benchmark::State& state) {
    namespace fs = std::filesystem;
    const korvel::PanelState panel = korvel::DefaultPanelState();
    const fs::path path = fs::temp_directory_path() / ("korvel-bench-" + std::to_string(::getpid()) + ".krvl");
    const fs::path link = path.string() + ".link";
    korvel::SaveProjectFile(path.string(), panel);
    if (state.range(0) == 1) fs::create_hard_link(path, link);
    for (auto _ : state) korvel::SaveProjectFile(path.string(), panel);
    fs::remove(path);
    fs::remove(link);
}

}  // namespace

BENCHMARK(BM_SaveProject)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
