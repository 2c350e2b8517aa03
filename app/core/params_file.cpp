// params_file.cpp — the parameter file's key table, its writer and its checked reader.
#include "params_file.h"

#include <charconv>
#include <cmath>
#include <tuple>
#include <vector>

#include "engine/text_helpers.h"

namespace korvel {

namespace {

enum class Form { Real, Integer, Boolean };
// Where a key's accepted range comes from.
enum class Bounds { Fixed, Slider, ZeroToMax, Subdivisions, Cut };

// One key of the file: how it is written from the panel and read into the build inputs.
struct KeyDef {
    const char* section;
    const char* key;
    const char* fallback;  // the text read when the key is missing
    Form form;
    Bounds bounds;
    double lo = 0.0, hi = 0.0;                 // Fixed bounds
    int32_t slot = -1;                         // Real: written from Params[slot]; Slider bounds by its tag
    Bar bar = Bar::NPX;                        // Integer: written from this position; Slider bounds
    bool PanelState::*action = nullptr;        // Boolean: written from this action
    double BuildInputs::*real = nullptr;
    int32_t BuildInputs::*integer = nullptr;
    bool BuildInputs::*flag = nullptr;
};

using B = BuildInputs;
using P = PanelState;
KeyDef Real(const char* sec, const char* key, int32_t slot, Bounds b, double B::*to, double lo = 0, double hi = 0,
            const char* fallback = "0") {
    return KeyDef{sec, key, fallback, Form::Real, b, lo, hi, slot, Bar::NPX, nullptr, to, nullptr, nullptr};
}
KeyDef Int(const char* sec, const char* key, Bar bar, Bounds b, int32_t B::*to, const char* fallback = "0") {
    return KeyDef{sec, key, fallback, Form::Integer, b, 0, 0, -1, bar, nullptr, nullptr, to, nullptr};
}
KeyDef Bool(const char* key, bool P::*action, bool B::*to, const char* fallback) {
    return KeyDef{"Mod", key, fallback, Form::Boolean, Bounds::Fixed, 0, 0, -1, Bar::NPX, action, nullptr, nullptr, to};
}

// Every key after [Dimensions], in file order. ModSpan and [Output] are handled beside the table.
const std::vector<KeyDef>& Keys() {
    static const std::vector<KeyDef> keys = {
        Bool("Mod3D", &P::Act3D, &B::Act3D, "1"),
        Bool("ModCut", &P::ActCut, &B::ActCut, "0"),
        Bool("ModMirror", &P::ActMirror, &B::ActMirror, "0"),
        Bool("ModCutSection", &P::ActCutSec, &B::ActCutSec, "1"),
        Bool("ModWing", &P::ActWing, &B::ActWing, "0"),
        Int("Mod", "ModSpan", Bar::NPX, Bounds::Fixed, &B::SpanFamily),
        Int("Flip", "Vertical", Bar::FlipVertical, Bounds::Slider, &B::FlipVertical),
        Int("Flip", "Horizontal", Bar::FlipHorizontal, Bounds::Slider, &B::FlipHorizontal),
        Int("Subdivisions", "nX", Bar::NPX, Bounds::Subdivisions, &B::nX, "64"),
        Int("Subdivisions", "mYZ", Bar::MPX, Bounds::Subdivisions, &B::mYZ, "64"),
        Real("EdgeAngle", "Tea", 2, Bounds::Fixed, &B::Tea, 0, 180),
        Real("EdgeAngle", "Lea", 3, Bounds::Fixed, &B::Lea, 0, 180),
        Real("Thickness", "x0", 5, Bounds::Slider, &B::x0),
        Real("Thickness", "rb", 6, Bounds::Slider, &B::rb),
        Real("Thickness", "rc1", 7, Bounds::Slider, &B::rc1),
        Real("Thickness", "rc2", 8, Bounds::Slider, &B::rc2),
        Real("Camber", "y0", 9, Bounds::Slider, &B::y0),
        Real("Mdlr", "tx3", 10, Bounds::Slider, &B::tx3),
        Real("Mdlr", "tz3", 11, Bounds::Slider, &B::tz3),
        Real("Mdlr", "kc3", 12, Bounds::Slider, &B::kc3),
        Real("Mdlr", "kt3", 13, Bounds::Fixed, &B::kt3, 0, 360),
        Int("Mdlr", "vs3", Bar::Versus, Bounds::Slider, &B::vs3),
        Real("Mdlr", "nm3", 15, Bounds::Slider, &B::nm3),
        Real("Mdlr", "tx2", 32, Bounds::Slider, &B::tx2),
        Real("Mdlr", "tz2", 33, Bounds::Slider, &B::tz2),
        Real("Mdlr", "kc2", 34, Bounds::Slider, &B::kc2),
        Real("Mdlr", "kt2", 35, Bounds::Fixed, &B::kt2, 0, 360),
        Int("Mdlr", "vs2", Bar::Versus2, Bounds::Slider, &B::vs2),
        Real("Mdlr", "nm2", 37, Bounds::Slider, &B::nm2),
        Real("Stretch", "fY", 16, Bounds::ZeroToMax, &B::fY),
        Real("Stretch", "fZ", 17, Bounds::ZeroToMax, &B::fZ),
        Real("Stretch", "dY", 18, Bounds::ZeroToMax, &B::dY),
        Real("Fold", "foldX", 20, Bounds::Slider, &B::foldX),
        Real("Fold", "foldZ", 21, Bounds::Slider, &B::foldZ),
        Real("SpanSection", "ss", 31, Bounds::ZeroToMax, &B::ss),
        Real("WingTip", "wt", 19, Bounds::ZeroToMax, &B::wt),
        Int("Cut", "c", Bar::Cut, Bounds::Cut, &B::c),
        Int("CutSection", "tX", Bar::TypeSecX, Bounds::Slider, &B::tX),
        Int("CutSection", "tY", Bar::TypeSecY, Bounds::Slider, &B::tY),
        Int("CutSection", "tZ", Bar::TypeSecZ, Bounds::Slider, &B::tZ),
        Real("CutSection", "csX", 27, Bounds::Fixed, &B::csX, 0, 1),
        Real("CutSection", "csY", 28, Bounds::Fixed, &B::csY, 0, 1),
        Real("CutSection", "csZ", 29, Bounds::Fixed, &B::csZ, 0, 1),
        Real("SurfaceTangentFactors", "UpperLeadingEdge", 40, Bounds::Fixed, &B::UpperLeadingEdge, 0, 1, "0.65"),
        Real("SurfaceTangentFactors", "UpperRoundedTrailingEdge", 41, Bounds::Fixed, &B::UpperRoundedTrailingEdge, 0,
             1, "0.65"),
        Real("SurfaceTangentFactors", "LowerLeadingEdge", 42, Bounds::Fixed, &B::LowerLeadingEdge, 0, 1, "0.65"),
        Real("SurfaceTangentFactors", "LowerRoundedTrailingEdge", 43, Bounds::Fixed, &B::LowerRoundedTrailingEdge,
             0, 1, "0.65"),
    };
    return keys;
}

constexpr const char* kDimensionKeys[] = {"LengthX", "WidthY", "HeightZ"};

// "0.0000000": seven decimals, '.', correctly rounded; a value that rounds to zero has no sign.
std::string RealText(double v) {
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 7);
    std::string text(buf, res.ptr);
    if (text == "-0.0000000") text.erase(0, 1);
    return text;
}

bool EqualsNoCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (x != b[i]) return false;
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

void ParseBoolSetting(bool& ok, const std::string& text, bool& value) {
    value = false;
    double number = 0.0;
    if (EqualsNoCase(text, "true")) {
        value = true;
    } else if (EqualsNoCase(text, "false")) {
        value = false;
    } else if (!text.empty() && TryTextToFloat(text, number)) {
        value = number != 0.0;
    } else {
        ok = false;
    }
}

void ParseIntSetting(bool& ok, const std::string& text, int32_t min, int32_t max, int32_t& value) {
    value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+' && end - begin > 1 && begin[1] != '-') ++begin;
    int32_t parsed = 0;
    const auto [stop, ec] = std::from_chars(begin, end, parsed);
    if (begin != end && ec == std::errc() && stop == end && parsed >= min && parsed <= max)
        value = parsed;
    else
        ok = false;
}

void ParseFloatSetting(bool& ok, const std::string& text, double& value, double min, double max) {
    value = 0.0;
    double parsed = 0.0;
    if (TryTextToFloat(text, parsed) && parsed >= min && parsed <= max)
        value = parsed;
    else
        ok = false;
}

std::string ParamsFileText(const PanelState& s, const std::string& home) {
    std::string out = ";korvel parameters\n[Dimensions]\n";
    const double sizes[] = {s.LengthX, s.WidthY, s.HeightZ};
    for (int i = 0; i < 3; ++i) out += std::string(kDimensionKeys[i]) + "=" + RealText(sizes[i]) + "\n";
    std::string section = "Dimensions";
    for (const KeyDef& k : Keys()) {
        if (section != k.section) out += "[" + (section = k.section) + "]\n";
        out += std::string(k.key) + "=";
        switch (k.form) {
            case Form::Real: out += RealText(s.Params[k.slot]); break;
            case Form::Boolean: out += s.*k.action ? "1" : "0"; break;
            case Form::Integer:
                out += std::to_string(k.integer == &B::SpanFamily ? s.Span : s.Pos(k.bar));
                break;
        }
        out += "\n";
    }
    if (s.Solid())
        out += "[Output]\n;Rotation -> 0:x,y,z - 1:y,z,x - 2:z,x,y\nRotation=0\nformat=stl\nfile=" + home +
               "/Desktop/korvel3D00.stl\n";
    else
        out += "[Output]\nformat=dat\nChord Length=1\nXY Plane=1\nfile=" + home + "/Desktop/korvel2D00.dat\n";
    return out;
}

void SaveParamsFile(const std::string& path, const PanelState& s, const std::string& home) {
    WriteFileAtomically(path, ParamsFileText(s, home));
}

ParamsCheck CheckParams(const IniFile& ini) {
    ParamsCheck result;
    BatchRequest& r = result.Request;
    BuildInputs& in = r.Inputs;
    // The file's build leaves the window's section plane, tunnel and angle of attack aside.
    in.SectionView = 0;
    in.ActTunnel = false;
    in.ActAxes = true;
    in.AngleOfAttack = 0.0;

    // Sizes apply only when all three are positive numbers; they never make the file invalid.
    double sizes[3] = {-1.0, -1.0, -1.0};
    bool allPositive = true;
    for (int i = 0; i < 3; ++i) {
        double v = 0.0;
        if (TryTextToFloat(ini.Value("Dimensions", kDimensionKeys[i], "-1"), v)) sizes[i] = v;
        allPositive = allPositive && std::isfinite(sizes[i]) && sizes[i] > 0.0;
    }
    if (allPositive) std::tie(r.LengthX, r.WidthY, r.HeightZ) = std::tuple(sizes[0], sizes[1], sizes[2]);

    // The first failing key names the file's fault: its text as written, or that it is missing.
    const auto note = [&](bool ok, const char* section, const char* key) {
        if (ok || !result.Invalid.empty()) return;
        result.Invalid = ini.Has(section, key) ? std::string(key) + "=" + ini.Value(section, key, "")
                                               : std::string(key) + " (missing)";
    };
    for (const KeyDef& k : Keys()) {
        const std::string text = ini.Value(k.section, k.key, k.fallback);
        bool ok = true;
        if (k.form == Form::Boolean) {
            ParseBoolSetting(ok, text, in.*k.flag);
        } else if (k.form == Form::Integer) {
            const BarSpec& spec = Spec(k.bar);
            int32_t lo = spec.min, hi = spec.max;
            if (k.integer == &B::SpanFamily) std::tie(lo, hi) = std::pair(SpanLinear, SpanJouk);
            if (k.bounds == Bounds::Subdivisions) hi = r.Solid() ? kMaxSubdivisionsLimit : kMaxPanels2DLimit;
            if (k.bounds == Bounds::Cut) hi = in.ActWing ? 2 : spec.max;
            ParseIntSetting(ok, text, lo, hi, in.*k.integer);
        } else {
            double lo = k.lo, hi = k.hi;
            if (const BarSpec* spec = SpecByTag(k.slot); spec != nullptr && k.bounds != Bounds::Fixed) {
                lo = k.bounds == Bounds::Slider ? PositionToValue(spec->min, spec->scale) : 0.0;
                hi = PositionToValue(spec->max, spec->scale);
            }
            ParseFloatSetting(ok, text, in.*k.real, lo, hi);
        }
        note(ok, k.section, k.key);
    }

    r.Format = ini.Value("Output", "format", "stl");
    for (char& c : r.Format)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    r.File = ini.Value("Output", "file", "");
    bool ok = true;
    ParseIntSetting(ok, ini.Value("Output", "Rotation", "0"), 0, 2, r.Rotation);
    note(ok, "Output", "Rotation");
    return result;
}

ParamsCheck ReadParamsFile(const std::string& path) { return CheckParams(IniFile::Read(path)); }

}  // namespace korvel
