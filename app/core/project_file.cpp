// project_file.cpp — encoding, decoding, checking and applying the project file's records.
#include "project_file.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "engine/text_helpers.h"

namespace korvel {

namespace {

// The records that carry a slider position, by id.
struct PositionRecord {
    uint16_t id;
    Bar bar;
};
constexpr PositionRecord kPositionRecords[] = {
    {1, Bar::X0},         {2, Bar::Y0},          {3, Bar::RB1},        {4, Bar::RC1},       {5, Bar::RC2},
    {6, Bar::TEA},        {7, Bar::LEA},         {8, Bar::AOA},        {10, Bar::TX},       {11, Bar::TZ},
    {12, Bar::KTc},       {13, Bar::KTt},        {14, Bar::Norm},      {15, Bar::Versus},   {16, Bar::TX2},
    {17, Bar::TZ2},       {18, Bar::KTc2},       {19, Bar::KTt2},      {20, Bar::Norm2},    {21, Bar::Versus2},
    {22, Bar::Cut},       {23, Bar::StretchYD},  {24, Bar::StretchYF}, {25, Bar::StretchZF}, {26, Bar::FoldX},
    {27, Bar::FoldZ},     {28, Bar::SS},         {29, Bar::TypeSecX},  {30, Bar::CutSecX},  {31, Bar::TypeSecY},
    {32, Bar::CutSecY},   {33, Bar::TypeSecZ},   {34, Bar::CutSecZ},   {36, Bar::TypeSec2D}, {43, Bar::WT},
    {48, Bar::FlipVertical}, {51, Bar::NPX},     {52, Bar::MPX},       {55, Bar::FlipHorizontal},
};

const PositionRecord* FindPosition(uint16_t id) {
    for (const PositionRecord& p : kPositionRecords)
        if (p.id == id) return &p;
    return nullptr;
}

constexpr uint16_t kFirstParamId = 100;
constexpr uint16_t kLastParamId = kFirstParamId + kParamCount - 1;
// During a load the cut slider accepts every cut mode; the rebuild afterwards lowers it for a wing.
constexpr int32_t kLoadCutMax = 4;

// A double for messages: as the window shows it, or its shortest text when huge or not finite.
std::string NumberText(double v) {
    if (std::isfinite(v) && std::fabs(v) < 1e15) return FloatToText(v);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

bool LowByte(int32_t v) { return (static_cast<uint32_t>(v) & 0xFFu) != 0; }

int32_t ClampPosition(int32_t v, int32_t lo, int32_t hi) {
    if (hi < lo) hi = lo;
    return v < lo ? lo : (v > hi ? hi : v);
}

int32_t SubdivisionLimit(bool solid) { return solid ? kMaxSubdivisionsLimit : kMaxPanels2DLimit; }

std::string ParamName(int32_t tag) {
    const BarSpec* spec = SpecByTag(tag);
    std::string name = "parameter " + std::to_string(tag);
    if (tag >= kTangentFactorSlot) return name + " (a surface tangent factor)";
    return spec != nullptr ? name + " (" + spec->name + ")" : name;
}

// Empty when Params[tag] may hold v: finite and, on a scaled slider's slot, mapping to a position within the
// slider as designed (the typed-value test, so every value the window can hold passes).
std::string CheckParam(int32_t tag, double v) {
    if (!std::isfinite(v)) return ParamName(tag) + " is " + NumberText(v);
    const BarSpec* spec = SpecByTag(tag);
    if (tag >= kTangentFactorSlot) {
        if (v < 0.0) return ParamName(tag) + " is " + NumberText(v) + ", below 0";
    } else if (spec != nullptr && IsScaled(*spec)) {
        const int32_t p = ValueToPosition(tag, v);
        if (p < spec->min || p > spec->max)
            return ParamName(tag) + " is " + NumberText(v) + ", outside the slider's range " +
                   NumberText(PositionToValue(spec->min, spec->scale)) + " to " +
                   NumberText(PositionToValue(spec->max, spec->scale));
    }
    return {};
}

std::string CheckMaximum(const char* what, int32_t v, int32_t limit) {
    const int32_t lo = Spec(Bar::NPX).min + 1;
    if (v >= lo && v <= limit) return {};
    return std::string("the maximum of the ") + what + " is " + std::to_string(v) + ", outside " +
           std::to_string(lo) + " to " + std::to_string(limit);
}

}  // namespace

bool ProjectRecordIsReal(uint16_t id) { return id == 45 || id == 46 || id == 47 || id == 53 || id > 99; }

std::size_t ProjectRecordSize(uint16_t id) { return 2 + (ProjectRecordIsReal(id) ? 8 : 4); }

std::vector<ProjectRecord> ProjectRecordsOf(const PanelState& s) {
    std::vector<ProjectRecord> out;
    const auto add = [&](uint16_t id, int32_t v) { out.push_back(ProjectRecord{id, v, 0.0}); };
    const auto addReal = [&](uint16_t id, double v) { out.push_back(ProjectRecord{id, 0, v}); };
    for (uint16_t id = 1; id <= 55; ++id) {
        if (const PositionRecord* p = FindPosition(id)) {
            add(id, s.Pos(p->bar));
            continue;
        }
        switch (id) {
            case 37: add(id, s.ActWing); break;
            case 38: add(id, s.Act3D); break;
            case 39: add(id, s.ActCutSec); break;
            case 40: add(id, s.ActMirror); break;
            case 41: add(id, s.Span); break;
            case 42: add(id, s.ActCut); break;
            case 44: add(id, s.KeepProportions); break;
            case 45: addReal(id, s.LengthX); break;
            case 46: addReal(id, s.WidthY); break;
            case 47: addReal(id, s.HeightZ); break;
            case 49: add(id, s.MaxNPX); break;
            case 50: add(id, s.MaxMPX); break;
            case 53: addReal(id, s.AirfoilChordLength); break;
            case 54: add(id, s.AirfoilXZPlane); break;
            default: break;  // 9 and 35 are never written
        }
    }
    for (int32_t slot = 0; slot < kParamCount; ++slot)
        addReal(static_cast<uint16_t>(kFirstParamId + slot), s.Params[slot]);
    return out;
}

std::string EncodeProject(const std::vector<ProjectRecord>& records) {
    std::string out;
    out.reserve(records.size() * 10);
    const auto put = [&](uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFu));
    };
    for (const ProjectRecord& r : records) {
        put(r.Id, 2);
        if (ProjectRecordIsReal(r.Id)) {
            uint64_t bits = 0;
            std::memcpy(&bits, &r.Real, sizeof bits);
            put(bits, 8);
        } else {
            put(static_cast<uint32_t>(r.Int), 4);
        }
    }
    return out;
}

std::vector<ProjectRecord> DecodeProject(std::string_view bytes, const std::string& fileName) {
    const std::string quoted = "The project file \"" + DisplayName(fileName) + "\"";
    if (bytes.size() > kMaxReadFileSize)
        throw FileError(quoted + " is far larger than a project file can be; it was not loaded.");
    const auto get = [&](std::size_t at, int count) {
        uint64_t v = 0;
        for (int i = 0; i < count; ++i) v |= uint64_t{static_cast<unsigned char>(bytes[at + i])} << (8 * i);
        return v;
    };
    std::vector<ProjectRecord> records;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 2 || bytes.size() - at < ProjectRecordSize(static_cast<uint16_t>(get(at, 2))))
            throw FileError(quoted + " is damaged: it ends inside a record (after " + std::to_string(bytes.size()) +
                            " bytes); nothing was loaded.");
        ProjectRecord r;
        r.Id = static_cast<uint16_t>(get(at, 2));
        if (ProjectRecordIsReal(r.Id)) {
            const uint64_t bits = get(at + 2, 8);
            std::memcpy(&r.Real, &bits, sizeof bits);
        } else {
            r.Int = static_cast<int32_t>(static_cast<uint32_t>(get(at + 2, 4)));
        }
        at += ProjectRecordSize(r.Id);
        records.push_back(r);
    }
    return records;
}

std::string CheckProjectRecords(const std::vector<ProjectRecord>& records, const PanelState& current) {
    bool act3D = current.Act3D, actCutSec = current.ActCutSec;
    for (const ProjectRecord& r : records) {
        std::string why;
        switch (r.Id) {
            case 38: act3D = LowByte(r.Int); break;
            case 39: actCutSec = LowByte(r.Int); break;
            case 49:
                why = CheckMaximum(act3D || actCutSec ? "subdivisions" : "panels", r.Int,
                                   SubdivisionLimit(act3D || actCutSec));
                break;
            case 50: why = CheckMaximum("rows", r.Int, kMaxSubdivisionsLimit); break;
            case 53:
                if (!std::isfinite(r.Real) || r.Real < 0.0)
                    why = "the chord length is " + NumberText(r.Real) + ", not a number of 0 or more";
                break;
            default:
                if (r.Id >= kFirstParamId && r.Id <= kLastParamId) why = CheckParam(r.Id - kFirstParamId, r.Real);
                break;
        }
        if (!why.empty()) return why;
    }
    return {};
}

std::vector<ProjectRecord> ReadProjectFile(const std::string& path, const PanelState& current) {
    std::vector<ProjectRecord> records = DecodeProject(ReadWholeFile(path), path);
    const std::string why = CheckProjectRecords(records, current);
    if (!why.empty())
        throw FileError("The project file \"" + DisplayName(path) + "\" holds a value this program cannot use: " +
                        why + ". Nothing was loaded.");
    return records;
}

ProjectApplyResult ApplyProjectRecords(const std::vector<ProjectRecord>& records, PanelState& s) {
    ProjectApplyResult result;
    s.LengthX = s.WidthY = s.HeightZ = -1.0;
    s.KeepProportions = true;
    const auto size = [](double v) { return std::isfinite(v) && v > 0.0 ? v : -1.0; };
    for (const ProjectRecord& r : records) {
        if (const PositionRecord* p = FindPosition(r.Id)) {
            const BarSpec& spec = Spec(p->bar);
            int32_t hi = spec.max;
            if (p->bar == Bar::NPX) hi = s.MaxNPX;
            if (p->bar == Bar::MPX) hi = s.MaxMPX;
            if (p->bar == Bar::Cut) hi = kLoadCutMax;
            const int32_t pos = ClampPosition(r.Int, spec.min, hi);
            s.Pos(p->bar) = pos;
            if (IsScaled(spec)) s.Params[spec.tag] = PositionToValue(pos, spec.scale);
            continue;
        }
        switch (r.Id) {
            case 37: s.ActWing = LowByte(r.Int); break;
            case 38: s.Act3D = LowByte(r.Int); break;
            case 39: s.ActCutSec = LowByte(r.Int); break;
            case 40: s.ActMirror = LowByte(r.Int); break;
            case 41:
                if (r.Int >= SpanLinear && r.Int <= SpanJouk) s.Span = r.Int;
                break;
            case 42: s.ActCut = LowByte(r.Int); break;
            case 44: s.KeepProportions = LowByte(r.Int); break;
            case 45: s.LengthX = size(r.Real); break;
            case 46: s.WidthY = size(r.Real); break;
            case 47: s.HeightZ = size(r.Real); break;
            case 49:
                s.MaxNPX = r.Int;
                s.Pos(Bar::NPX) = ClampPosition(s.Pos(Bar::NPX), Spec(Bar::NPX).min, s.MaxNPX);
                (s.Solid() ? result.MaxSubdivisions3D : result.MaxPanels2D) = r.Int;
                break;
            case 50:
                s.MaxMPX = r.Int;
                s.Pos(Bar::MPX) = ClampPosition(s.Pos(Bar::MPX), Spec(Bar::MPX).min, s.MaxMPX);
                break;
            case 53: s.AirfoilChordLength = r.Real; break;
            case 54: s.AirfoilXZPlane = LowByte(r.Int); break;
            default:
                if (r.Id >= kFirstParamId && r.Id <= kLastParamId) s.Params[r.Id - kFirstParamId] = r.Real;
                break;
        }
    }
    return result;
}

void SaveProjectFile(const std::string& path, const PanelState& s) {
    WriteFileAtomically(path, EncodeProject(ProjectRecordsOf(s)));
}

}  // namespace korvel
