// iges_writer.cpp — IGES files of the model: records, global section, directory and parameter data, back-patching.
#include "iges_writer.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>

#include "engine/checked_int.h"
#include "fitted_model.h"
#include "output_file.h"

namespace korvel {

namespace {

constexpr std::size_t kRecordBytes = 81;  // 80 columns and a line feed
constexpr std::size_t kGlobalColumns = 72;
constexpr std::size_t kParamColumns = 64;
// Record numbers live in 7 columns: beyond that the fixed layout cannot hold the file.
constexpr int64_t kMaxRecordNumber = 9'999'999;

// Right-aligned, blank-filled decimal in width columns.
std::string PadNumber(int64_t value, std::size_t width) {
    std::string s = std::to_string(value);
    if (s.size() < width) s.insert(0, width - s.size(), ' ');
    return s;
}

// PadNumber appended to out, without a temporary string.
void AppendPadded(std::string& out, int64_t value, std::size_t width) {
    char text[24];
    const std::size_t n = static_cast<std::size_t>(std::to_chars(text, text + sizeof text, value).ptr - text);
    if (n < width) out.append(width - n, ' ');
    out.append(text, n);
}

std::string PadRight(std::string s, std::size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

void CheckRecordNumber(int64_t n) {
    if (n > kMaxRecordNumber) {
        throw ExportError("The model is too large for an IGES file: a section would need more than 9999999 records.");
    }
}

// The text of a record whose columns 73-80 are a letter and a sequence number.
std::string Record(const std::string& body72, char letter, int64_t number) {
    CheckRecordNumber(number);
    return PadRight(body72, kGlobalColumns) + letter + PadNumber(number, 7) + "\n";
}

bool IsPlainNumber(const std::string& s, bool allowPoint) {
    if (s.empty()) return false;
    int points = 0;
    int digits = 0;
    for (char ch : s) {
        if (ch >= '0' && ch <= '9') {
            ++digits;
        } else if (ch == '.' && allowPoint) {
            ++points;
        } else {
            return false;
        }
    }
    return digits > 0 && points <= 1;
}

std::string TwoDigits(int32_t v) {
    const int32_t x = ((v % 100) + 100) % 100;
    return std::string(1, static_cast<char>('0' + x / 10)) + static_cast<char>('0' + x % 10);
}

// The parameter data section being written: items go through IgesWriteParam, full buffers to the file.
class ParamStream {
public:
    ParamStream(OutputFile& file, std::string& out, int32_t& pCount) : file_(file), out_(out), pCount_(pCount) {}
    void Begin(const std::string& header, int32_t firstD) {
        line_ = header;
        dePtr_ = PadNumber(firstD, 8) + "P";
    }
    void Add(std::string_view item) {
        IgesWriteParam(out_, pCount_, line_, dePtr_, item);
        if (out_.size() >= (std::size_t{1} << 20)) {
            file_.Write(out_);
            out_.clear();
        }
    }
    // A real followed by its delimiter, formatted without a heap allocation.
    void AddReal(double value, char delimiter = ',') {
        char text[40];
        std::size_t n = IgesRealChars(value, text);
        text[n++] = delimiter;
        Add(std::string_view(text, n));
    }
    void End() { IgesWriteParam(out_, pCount_, line_, dePtr_, ""); }

private:
    OutputFile& file_;
    std::string& out_;
    int32_t& pCount_;
    std::string line_;
    std::string dePtr_;
};

// One entity of the file: its directory texts, its parameter header and the items after it.
struct Entity {
    int32_t type = 0;
    std::string label;  // 8 columns; the subscript field stays blank
    std::string header;
    // Items are produced on the way out: a 2000 x 2000 surface has millions of them.
    std::function<void(ParamStream&)> items;
    int32_t firstD = 0;
    int32_t firstP = 0;
    int32_t pRecords = 0;
};

std::string DirectoryFirst(int32_t type) {
    return PadNumber(type, 8) + "       1       0       1       0       0       0       000000001D";
}

std::string DirectorySecond(const Entity& e) {
    return PadNumber(e.type, 8) + "       2       0       0       0       0       0" + PadRight(e.label, 16) + "D";
}

std::vector<std::string> GlobalItems(const std::string& fileName, const IgesOptions& iges, double m,
                                     const ClockReading& now) {
    if (!IsPlainNumber(iges.IgesUnitFlag, false)) {
        throw ExportError("The IGES units flag \"" + iges.IgesUnitFlag + "\" is not a whole number; nothing was written.");
    }
    if (!IsPlainNumber(iges.IgesResolution, true)) {
        throw ExportError("The IGES minimum resolution \"" + iges.IgesResolution +
                          "\" is not a number; nothing was written.");
    }
    const std::filesystem::path path(fileName);
    const std::string product = IgesHollerith(path.stem().string());
    const LocalDateTime& t = now.Local;
    const std::string stamp = "13H" + TwoDigits(t.Year) + TwoDigits(t.Month) + TwoDigits(t.Day) + "." +
                              TwoDigits(t.Hour) + TwoDigits(t.Minute) + TwoDigits(t.Second);
    std::vector<std::string> items = {
        "1H,", "1H;", product, IgesHollerith(path.filename().string()), IgesHollerith("korvel"),
        IgesHollerith("1.0.0"), "32", "38", "6", "308", "15", product, "1.0", iges.IgesUnitFlag,
        IgesHollerith(iges.IgesUnitName), "8", "0.016", stamp, iges.IgesResolution, IgesReal(m),
        IgesHollerith(iges.IgesAuthor), IgesHollerith(iges.IgesOrganization), "11", "0", stamp, ""};
    for (std::size_t k = 0; k < items.size(); ++k) items[k] += k + 1 < items.size() ? "," : ";";
    return items;
}

// Streams the records of the whole file and back-patches the parameter pointers and line counts.
void WriteIgesFile(const std::string& fileName, const std::vector<std::string>& globalItems,
                   std::vector<Entity>& entities) {
    const std::vector<std::string> global = IgesPackGlobal(globalItems);
    const int64_t gCount = static_cast<int64_t>(global.size());
    const int64_t dCount = 2 * static_cast<int64_t>(entities.size());
    CheckRecordNumber(dCount);

    OutputFile file(fileName);
    std::string out = Record("", 'S', 1);
    for (int64_t g = 0; g < gCount; ++g) out += Record(global[static_cast<std::size_t>(g)], 'G', g + 1);
    int32_t d = 1;
    for (Entity& e : entities) {
        e.firstD = d;
        out += DirectoryFirst(e.type) + PadNumber(d, 7) + "\n";
        out += Record(DirectorySecond(e).substr(0, kGlobalColumns), 'D', d + 1);
        d += 2;
    }

    int32_t pCount = 0;
    ParamStream params(file, out, pCount);
    for (Entity& e : entities) {
        e.firstP = pCount + 1;
        params.Begin(e.header, e.firstD);
        e.items(params);
        params.End();
        e.pRecords = pCount - e.firstP + 1;
    }
    out += "S      1G" + PadNumber(gCount, 7) + "D" + PadNumber(dCount, 7) + "P" + PadNumber(pCount, 7) +
           std::string(40, ' ') + "T      1\n";
    file.Write(out);

    // The directory was written before the parameter data existed: fill in where each entity's data starts
    // and how many records it has. One S record precedes the G records.
    for (const Entity& e : entities) {
        file.Seek((gCount + e.firstD) * static_cast<int64_t>(kRecordBytes) + 8);
        file.Write(PadNumber(e.firstP, 8));
        file.Seek((gCount + e.firstD + 1) * static_cast<int64_t>(kRecordBytes) + 24);
        file.Write(PadNumber(e.pRecords, 8));
    }
    file.Close();
}

void WriteReals(ParamStream& emit, const array1Df& values) {
    for (double v : values) emit.AddReal(v);
}

void WriteOnes(ParamStream& emit, int64_t count) {
    for (int64_t k = 0; k < count; ++k) emit.Add("1.,");
}

// IgesRealChars in exact integer arithmetic for decimal exponents -11..11, 0 outside them: the twelve
// significant digits are those of the scaled value rounded to the nearest integer (ties to even), as the
// library rounds.
std::size_t FastIgesRealChars(double value, char* out) {
    constexpr uint64_t kLow = 100000000000ULL;  // 10^11: twelve digits from here up to 10^12
    const double ax = std::fabs(value);
    // floor(log10 ax) from the nearest powers of ten; the rounding below settles any doubt at a boundary.
    static constexpr std::array<double, 24> kPowers = [] {
        std::array<double, 24> p{};
        double v = 1e-12;
        for (double& x : p) {
            x = v;
            v *= 10.0;
        }
        return p;
    }();
    if (!(ax >= kPowers[1] && ax < kPowers[23])) return 0;
    int e = static_cast<int>(std::upper_bound(kPowers.begin(), kPowers.end(), ax) - kPowers.begin()) - 13;
    unsigned __int128 n = 0;
    for (int tries = 0; tries < 3; ++tries) {
        if (e < -11 || e > 11 || !RoundScaled(ax, 11 - e, n)) return 0;
        if (n < kLow) --e;
        else if (n >= 10 * static_cast<unsigned __int128>(kLow)) ++e;
        else break;
    }
    if (n < kLow || n >= 10 * static_cast<unsigned __int128>(kLow)) return 0;
    const uint64_t digits = static_cast<uint64_t>(n);
    std::size_t k = 0;
    if (value < 0.0) out[k++] = '-';
    char text[12];
    WriteFixedDigits<12>(text, digits);
    int last = 11;
    while (last > 1 && text[last] == '0') --last;  // one decimal always stays
    out[k++] = text[0];
    out[k++] = '.';
    for (int i = 1; i <= last; ++i) out[k++] = text[i];
    out[k++] = 'D';
    if (e < 0) out[k++] = '-';
    const int a = e < 0 ? -e : e;
    if (a >= 10) out[k++] = static_cast<char>('0' + a / 10);
    out[k++] = static_cast<char>('0' + a % 10);
    return k;
}

}  // namespace

std::size_t IgesRealChars(double value, char* out) {
    if (!std::isfinite(value)) throw ExportError("A value of the model is not a finite number and cannot be written to an IGES file.");
    if (value == 0.0) {  // negative zero too
        out[0] = '0';
        out[1] = '.';
        return 2;
    }
    if (const std::size_t n = FastIgesRealChars(value, out)) return n;
    // d.ddddddddddde[+-]x..x: 12 significant digits, then the exponent.
    char text[40];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 11);
    const char* e = text;
    while (*e != 'e') ++e;
    const char* last = e - 1;
    while (*last == '0' && last[-1] != '.') --last;  // one decimal always stays
    std::size_t n = static_cast<std::size_t>(last + 1 - text);
    std::memcpy(out, text, n);
    out[n++] = 'D';
    const char* x = e + 1;
    if (*x == '-') out[n++] = *x;
    ++x;
    while (x < result.ptr - 1 && *x == '0') ++x;  // no leading zeros, but keep a lone 0
    while (x < result.ptr) out[n++] = *x++;
    return n;
}

std::string IgesReal(double value) {
    char text[40];
    return std::string(text, IgesRealChars(value, text));
}

void IgesWriteParam(std::string& out, int32_t& pCount, std::string& line, std::string_view dePtr,
                    std::string_view item) {
    const std::size_t limit = item.empty() ? 0 : kParamColumns;
    if (line.size() + item.size() <= limit) {
        line += item;
        return;
    }
    ++pCount;
    CheckRecordNumber(pCount);
    out += line;
    if (line.size() < kParamColumns) out.append(kParamColumns - line.size(), ' ');
    out += dePtr;
    AppendPadded(out, pCount, 7);
    out += '\n';
    if (!item.empty()) line.assign(item);
}

std::string IgesHollerith(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        if (ch >= 0x20 && ch <= 0x7E) {
            clean += static_cast<char>(ch);
            ++i;
            continue;
        }
        // A well-formed UTF-8 sequence is one character and one replacement; a stray byte is one too.
        std::size_t length = 1;
        if (ch >= 0xC2 && ch <= 0xDF) length = 2;
        else if (ch >= 0xE0 && ch <= 0xEF) length = 3;
        else if (ch >= 0xF0 && ch <= 0xF4) length = 4;
        std::size_t k = 1;
        while (k < length && i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80) ++k;
        i += k == length ? length : 1;
        clean += '_';
    }
    return std::to_string(clean.size()) + "H" + clean;
}

std::vector<std::string> IgesPackGlobal(const std::vector<std::string>& items) {
    std::vector<std::string> records;
    std::string line;
    for (const std::string& item : items) {
        if (line.size() + item.size() <= kGlobalColumns) {
            line += item;
            continue;
        }
        if (!line.empty()) records.push_back(line);
        line = item;
        while (line.size() > kGlobalColumns) {
            records.push_back(line.substr(0, kGlobalColumns));
            line.erase(0, kGlobalColumns);
        }
    }
    if (!line.empty()) records.push_back(line);
    return records;
}

bool ExportIgesCurves(const ModelState& m, const ExportOptions& options, const std::string& fileName,
                      const IgesConfirm& confirm, const ExportClock& clock) {
    IgesOptions iges = options.Iges;
    if (confirm && !confirm(iges)) return false;
    const std::array<FittedCurve, 2> curves = FitSectionCurves(m, options.Airfoil);
    const bool xz = options.Airfoil.AirfoilXZPlane;

    std::vector<Entity> entities;
    for (const FittedCurve& c : curves) {
        Entity e;
        e.type = 126;
        e.label = c.Name;
        e.header = "126," + std::to_string(c.N + 2) + ",3,1,0,1,0,";
        e.items = [&c, xz](ParamStream& emit) {
            WriteReals(emit, c.Knots);
            WriteOnes(emit, static_cast<int64_t>(c.N) + 3);
            for (int32_t i = 0; i <= c.N + 2; ++i) {
                const std::size_t k = static_cast<std::size_t>(i);
                emit.AddReal(c.PX[k]);
                // In the XZ plane the section's Y becomes Z: (x, 0, y).
                emit.AddReal(xz ? c.PZ[k] : c.PY[k]);
                emit.AddReal(xz ? c.PY[k] : c.PZ[k]);
            }
            emit.Add("0.,");
            emit.Add("1.,");
            emit.Add("0.,");
            emit.Add(xz ? "1.," : "0.,");
            emit.Add(xz ? "0.;" : "1.;");
        };
        entities.push_back(std::move(e));
    }
    const double size = static_cast<double>(RoundToInt(options.Airfoil.AirfoilChordLength));
    WriteIgesFile(fileName, GlobalItems(fileName, iges, size, (clock ? clock() : ReadSystemClock())), entities);
    return true;
}

bool ExportIgesSurfaces(const ModelState& m, const ExportOptions& options, const std::string& fileName,
                        const IgesConfirm& confirm, const ExportClock& clock) {
    IgesOptions iges = options.Iges;
    if (confirm && !confirm(iges)) return false;
    const std::vector<FittedSurface> surfaces = FitModelSurfaces(m);

    std::vector<Entity> entities;
    for (const FittedSurface& s : surfaces) {
        Entity e;
        e.type = 128;
        e.label = s.Name;
        e.header = "128," + std::to_string(s.NU + 2) + "," + std::to_string(s.NV + 2) + ",3,3,0,0,1,0,0,";
        e.items = [&s](ParamStream& emit) {
            WriteReals(emit, s.UKnots);
            WriteReals(emit, s.VKnots);
            WriteOnes(emit, (static_cast<int64_t>(s.NU) + 3) * (static_cast<int64_t>(s.NV) + 3));
            for (int32_t j = 0; j <= s.NV + 2; ++j) {
                for (int32_t i = 0; i <= s.NU + 2; ++i) {
                    const std::size_t u = static_cast<std::size_t>(i);
                    const std::size_t v = static_cast<std::size_t>(j);
                    emit.AddReal(s.PX[u][v]);
                    emit.AddReal(s.PY[u][v]);
                    emit.AddReal(s.PZ[u][v]);
                }
            }
            emit.Add("0.,");
            emit.Add("1.,");
            emit.Add("0.,");
            emit.Add("1.;");
        };
        entities.push_back(std::move(e));
    }
    const double largest = std::max({m.ScaleFactor.x * m.GridSize.x, m.ScaleFactor.y * m.GridSize.y,
                                     m.ScaleFactor.z * m.GridSize.z});
    const double size = static_cast<double>(RoundToInt(largest));
    WriteIgesFile(fileName, GlobalItems(fileName, iges, size, (clock ? clock() : ReadSystemClock())), entities);
    return true;
}

}  // namespace korvel
