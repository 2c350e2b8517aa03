// project_file.h — the project file (.krvl): packed little-endian records of the panel state, their checks and their application.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_io.h"
#include "panel_state.h"

namespace korvel {

// One record: a 16-bit id and its value, a 32-bit integer or a double depending on the id.
struct ProjectRecord {
    uint16_t Id = 0;
    int32_t Int = 0;    // the value of an integer record
    double Real = 0.0;  // the value of a double record
    friend bool operator==(const ProjectRecord&, const ProjectRecord&) = default;
};

// True for the ids whose value is a double: 45, 46, 47, 53 and every id above 99.
bool ProjectRecordIsReal(uint16_t id);

// The bytes of one record on disk: 2 for the id plus 4 or 8 for the value.
std::size_t ProjectRecordSize(uint16_t id);

// The 97 records of a state in file order: ids 1..8, 10..34, 36..55, then 100..143.
std::vector<ProjectRecord> ProjectRecordsOf(const PanelState& s);

// The records packed without padding, little-endian.
std::string EncodeProject(const std::vector<ProjectRecord>& records);

// Every record of the bytes, in file order; unknown ids are kept (their value read by its size) and
// skipped later. Throws FileError when the bytes end inside a record or exceed kMaxReadFileSize;
// fileName only names the file in the message.
std::vector<ProjectRecord> DecodeProject(std::string_view bytes, const std::string& fileName);

// Why the records must not be loaded, or empty when they may. current is the window before the load:
// its Act3D and ActCutSec give the mode, which records 38 and 39 change for the records after them.
// A maximum (49, 50) must lie above the slider's Min and within what the commands allow; a parameter
// (100..143) must be finite and, on a slider's slot, map to a position within that slider; the chord
// (53) must be finite and not negative.
std::string CheckProjectRecords(const std::vector<ProjectRecord>& records, const PanelState& current);

// Reads, decodes and checks a whole project file before anything is applied. Throws FileError naming
// the file when it cannot be read, is cut inside a record or holds a value that must not be loaded.
std::vector<ProjectRecord> ReadProjectFile(const std::string& path, const PanelState& current);

// Where record 49 went: the window keeps one subdivision maximum per mode.
struct ProjectApplyResult {
    std::optional<int32_t> MaxSubdivisions3D;
    std::optional<int32_t> MaxPanels2D;
};

// Applies checked records onto the state in file order, as a load does: the requested dimensions go
// back to natural size with proportions kept first; positions are clamped to each slider's range as
// designed (BarNPX and BarMPX to the maxima the file set, BarCut to 1..4) and set the scaled slots of
// Params from the clamped position; requested sizes apply only when finite and above 0, else natural
// size; Params 100..143 are taken exactly. Unknown ids and a span value other than 0..2 change nothing.
ProjectApplyResult ApplyProjectRecords(const std::vector<ProjectRecord>& records, PanelState& s);

// Writes the state's records through WriteFileAtomically; throws FileError.
void SaveProjectFile(const std::string& path, const PanelState& s);

}  // namespace korvel
