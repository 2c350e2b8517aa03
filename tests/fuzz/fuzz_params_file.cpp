// fuzz_params_file.cpp — libFuzzer target: any bytes through the INI reader and the parameter file's checks.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "app/core/params_file.h"

using namespace korvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const IniFile ini = IniFile::FromText(std::string_view(reinterpret_cast<const char*>(data), size));
    const ParamsCheck check = CheckParams(ini);
    if (!check.Valid()) return 0;
    // A valid request never hands the engine a count or a size outside what the checks promise.
    const BatchRequest& r = check.Request;
    const int32_t limit = r.Solid() ? kMaxSubdivisionsLimit : kMaxPanels2DLimit;
    if (r.Inputs.nX < 8 || r.Inputs.nX > limit || r.Inputs.mYZ < 8 || r.Inputs.mYZ > limit) __builtin_trap();
    const bool natural = r.LengthX == -1.0 && r.WidthY == -1.0 && r.HeightZ == -1.0;
    const bool sized = std::isfinite(r.LengthX) && std::isfinite(r.WidthY) && std::isfinite(r.HeightZ) &&
                       r.LengthX > 0 && r.WidthY > 0 && r.HeightZ > 0;
    if (!natural && !sized) __builtin_trap();
    if (!std::isfinite(r.Inputs.x0) || r.Rotation < 0 || r.Rotation > 2) __builtin_trap();
    return 0;
}
