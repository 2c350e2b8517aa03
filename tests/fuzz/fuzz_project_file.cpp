// fuzz_project_file.cpp — libFuzzer target: any bytes through the project file's decoder, checks and load.
#include <cstddef>
#include <cstdint>

#include "app/core/project_file.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<ProjectRecord> records;
    try {
        records = DecodeProject(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.krvl");
    } catch (const FileError&) {
        return 0;
    }
    for (const bool solid : {false, true}) {
        PanelState window = DefaultPanelState();
        window.Act3D = solid;
        if (!CheckProjectRecords(records, window).empty()) continue;
        PanelState loaded = window;
        ApplyProjectRecords(records, loaded);
        // What loaded saves and loads again unchanged, as long as its maximum suits its final mode (the
        // window's rebuild puts the mode's own maximum on the slider before anything is saved).
        if (loaded.MaxNPX > (loaded.Solid() ? kMaxSubdivisionsLimit : kMaxPanels2DLimit)) continue;
        const std::vector<ProjectRecord> again = DecodeProject(EncodeProject(ProjectRecordsOf(loaded)), "again.krvl");
        if (!CheckProjectRecords(again, loaded).empty()) __builtin_trap();
        PanelState reloaded = loaded;
        ApplyProjectRecords(again, reloaded);
        if (!(reloaded == loaded)) __builtin_trap();
    }
    return 0;
}
