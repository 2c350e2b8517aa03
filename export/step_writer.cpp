// step_writer.cpp — the exchange-file frame, surface faces with edges and styles, section curves, and the shared tail.
#include "step_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "fitted_model.h"

namespace korvel {

namespace {

// ---------------------------------------------------------------------------------------------------
// Text pieces

std::string Ref(int32_t id) { return "#" + std::to_string(id); }

// Decodes one UTF-8 sequence at s[i]; a byte that starts no valid sequence stands for itself (Latin-1).
uint32_t NextCodePoint(const std::string& s, std::size_t& i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    int len = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 1;
        cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 2;
        cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 3;
        cp = c & 0x07u;
    }
    if (len > 0 && i + len < s.size()) {
        bool ok = true;
        for (int k = 1; ok && k <= len; ++k) ok = (b(i + k) & 0xC0u) == 0x80u;
        if (ok) {
            for (int k = 1; k <= len; ++k) cp = (cp << 6) | (b(i + k) & 0x3Fu);
            const bool overlong = (len == 2 && cp < 0x800) || (len == 3 && cp < 0x10000);
            const bool invalid = cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF);
            if (!overlong && !invalid) {
                i += static_cast<std::size_t>(len) + 1;
                return cp;
            }
        }
    }
    ++i;
    return c;
}

// ---------------------------------------------------------------------------------------------------
// Records

// Numbers the records and writes each one; ids start at 1 and increase by one per record.
class StepRecords {
public:
    explicit StepRecords(OutputFile& f) : f_(f) {}
    int32_t Next() const { return last_ + 1; }
    // Writes "#id" followed by text and returns the id.
    int32_t Write(std::string_view text) {
        StartLine();
        line_ += text;
        return EndLine();
    }
    // Writes a point record.
    int32_t WritePoint(double x, double y, double z) {
        StartLine();
        line_ += "=CARTESIAN_POINT('',(";
        AppendReal(line_, x);
        line_ += ',';
        AppendReal(line_, y);
        line_ += ',';
        AppendReal(line_, z);
        line_ += "));";
        return EndLine();
    }
    // Starts a wrapped record: the pending text begins with its id and opening piece.
    int32_t Begin(const std::string& text) {
        ++last_;
        pending_ = Ref(last_) + text;
        return last_;
    }
    void Add(std::string_view piece) { pending_ += piece; }
    // Adds "#id" without a temporary text.
    void AddRef(int32_t id) {
        char text[16];
        text[0] = '#';
        pending_.append(text, static_cast<std::size_t>(std::to_chars(text + 1, text + sizeof text, id).ptr - text));
    }
    void Check() { StepFlushLine(f_, pending_); }
    // Ends a wrapped record: the rest goes out as its last line whatever its length.
    void End(const std::string& piece) {
        pending_ += piece;
        WriteTextLine(f_, pending_);
        pending_.clear();
    }

private:
    OutputFile& f_;
    int32_t last_ = 0;
    std::string pending_;
    std::string line_;  // one written record, its memory reused

    // "#id" of the next record begins line_.
    void StartLine() {
        ++last_;
        line_.assign(1, '#');
        char id[16];
        line_.append(id, static_cast<std::size_t>(std::to_chars(id, id + sizeof id, last_).ptr - id));
    }
    int32_t EndLine() {
        line_ += '\n';
        f_.Write(line_);
        return last_;
    }
};

// The run lengths of a clamped knot vector, checked for wrapping after every step; returns the number
// of value changes. reversed runs from the last knot down to the first.
int32_t AddMultiplicities(StepRecords& r, const array1Df& K, bool reversed) {
    const int32_t L = static_cast<int32_t>(K.size()) - 1;
    const auto at = [&](int32_t step) { return reversed ? K[L - step] : K[step]; };
    double prev = at(0);
    int32_t count = 1;
    int32_t runs = 0;
    for (int32_t step = 1; step <= L; ++step) {
        if (at(step) == prev) {
            ++count;
        } else {
            r.Add(std::to_string(count));
            if (step < L) r.Add(",");
            prev = at(step);
            count = 1;
            ++runs;
        }
        r.Check();
    }
    if (count > 1) r.Add(std::to_string(count));
    return runs;
}

// The distinct knot values (negated when reversed), checked for wrapping after every step.
void AddKnotValues(StepRecords& r, const array1Df& K, int32_t runs, bool reversed) {
    const int32_t L = static_cast<int32_t>(K.size()) - 1;
    const auto at = [&](int32_t step) { return reversed ? -K[L - step] : K[step]; };
    r.Add(FormatReal(at(0)) + ",");
    double prev = at(0);
    int32_t n = 1;
    for (int32_t step = 1; step <= L; ++step) {
        if (at(step) != prev) {
            r.Add(FormatReal(at(step)));
            prev = at(step);
            if (n < runs) r.Add(",");
            ++n;
        }
        r.Check();
    }
}

// A B-spline curve record over existing points; name goes into the record as it stands.
int32_t WriteCurve(StepRecords& r, const std::string& name, int32_t degree, const std::vector<int32_t>& points,
                   const array1Df& knots, bool reversed) {
    const int32_t id = r.Begin("=B_SPLINE_CURVE_WITH_KNOTS('" + name + "'," + std::to_string(degree) + ",(");
    for (std::size_t i = 0; i < points.size(); ++i) {
        r.AddRef(points[i]);
        if (i + 1 < points.size()) r.Add(",");
        r.Check();
    }
    r.Add("),.UNSPECIFIED.,");
    r.Check();
    r.Add(".F.,.F.,");
    r.Check();
    r.Add("(");
    const int32_t runs = AddMultiplicities(r, knots, reversed);
    r.Add("),(");
    AddKnotValues(r, knots, runs, reversed);
    r.End("),.UNSPECIFIED.);");
    return id;
}

void WriteHeader(OutputFile& f, const std::string& fileName, const ExportClock& clock) {
    const ClockReading now = clock ? clock() : ReadSystemClock();
    const std::string name = std::filesystem::path(fileName).stem().string();
    WriteTextLine(f, "ISO-10303-21;");
    WriteTextLine(f, "HEADER;");
    WriteTextLine(f, "FILE_DESCRIPTION((''),'2;1');");
    WriteTextLine(f, "FILE_NAME(");
    WriteTextLine(f, "/* name */ '" + StepString(name) + "',");
    WriteTextLine(f, "/* time_stamp */ '" + IsoTimestamp(now.OffsetMinutes, now.Local) + "',");
    WriteTextLine(f, "/* author */ (''),");
    WriteTextLine(f, "/* organization */ (''),");
    WriteTextLine(f, "/* preprocessor_version */ '',");
    WriteTextLine(f, "/* originating_system */ '',");
    WriteTextLine(f, "/* authorization */ '');");
    WriteTextLine(f, "FILE_SCHEMA (('AUTOMOTIVE_DESIGN'));");
    WriteTextLine(f, "ENDSEC;");
    WriteTextLine(f, "DATA;");
}

void WriteFooter(OutputFile& f) {
    WriteTextLine(f, "ENDSEC;");
    WriteTextLine(f, "END-ISO-10303-21;");
    f.Close();
}

// Product, units and contexts, ids T+3 to T+25; the representations before them point into it.
void WriteCommonTail(StepRecords& r, int32_t T) {
    const auto R = [&](int32_t k) { return Ref(T + k); };
    r.Write("=SHAPE_DEFINITION_REPRESENTATION(" + R(4) + "," + R(21) + ");");
    r.Write("=PRODUCT_DEFINITION_SHAPE('Document',''," + R(6) + ");");
    r.Write("=PRODUCT_DEFINITION_CONTEXT('3D Mechanical Parts'," + R(10) + ",'design');");
    r.Write("=PRODUCT_DEFINITION('A','First version'," + R(7) + "," + R(5) + ");");
    r.Write("=PRODUCT_DEFINITION_FORMATION_WITH_SPECIFIED_SOURCE('A','First version'," + R(12) + ",.MADE.);");
    r.Write("=PRODUCT_RELATED_PRODUCT_CATEGORY('tool','tool',(" + R(12) + "));");
    r.Write("=APPLICATION_PROTOCOL_DEFINITION('Draft International Standard','automotive_design',1999," + R(10) +
            ");");
    r.Write("=APPLICATION_CONTEXT('data for automotive mechanical design processes');");
    r.Write("=PRODUCT_CONTEXT('3D Mechanical Parts'," + R(10) + ",'mechanical');");
    r.Write("=PRODUCT('Document','Document','korvel converted to STEP',(" + R(11) + "));");
    r.Write("=(LENGTH_UNIT()\nNAMED_UNIT(*)\nSI_UNIT(.MILLI.,.METRE.));");
    r.Write("=(NAMED_UNIT(*)\nPLANE_ANGLE_UNIT()\nSI_UNIT($,.RADIAN.));");
    r.Write("=DIMENSIONAL_EXPONENTS(0.,0.,0.,0.,0.,0.,0.);");
    r.Write("=PLANE_ANGLE_MEASURE_WITH_UNIT(PLANE_ANGLE_MEASURE(0.01745329252)," + R(14) + ");");
    r.Write("=(CONVERSION_BASED_UNIT('DEGREES'," + R(16) + ")\nNAMED_UNIT(" + R(15) + ")\nPLANE_ANGLE_UNIT());");
    r.Write("=(NAMED_UNIT(*)\nSI_UNIT($,.STERADIAN.)\nSOLID_ANGLE_UNIT());");
    r.Write("=UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(0.001)," + R(13) +
            ",\n'DISTANCE_ACCURACY_VALUE',\n"
            "'Maximum model space distance between geometric entities at asserted connectivities');");
    r.Write("=(GEOMETRIC_REPRESENTATION_CONTEXT(3)\nGLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((" + R(19) +
            "))\nGLOBAL_UNIT_ASSIGNED_CONTEXT((" + R(18) + "," + R(17) + "," + R(13) +
            "))\nREPRESENTATION_CONTEXT('ID1','3D'));");
    r.Write("=SHAPE_REPRESENTATION('Document',(" + R(22) + ")," + R(20) + ");");
    r.Write("=AXIS2_PLACEMENT_3D(''," + R(25) + "," + R(23) + "," + R(24) + ");");
    r.Write("=DIRECTION('',(0.,0.,1.));");
    r.Write("=DIRECTION('',(1.,0.,0.));");
    r.Write("=CARTESIAN_POINT('',(0.,0.,0.));");
}

// ---------------------------------------------------------------------------------------------------
// Surfaces

// What pass 1 leaves for pass 2 of one face.
struct FaceIds {
    int32_t Surface = 0;
    int32_t Curve[4] = {0, 0, 0, 0};  // 0: edge not written
    int32_t Vertex[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

// The largest extent of the control net along an axis.
double NetExtent(const FittedSurface& s) {
    const int32_t nu = s.NU + 2;
    const int32_t nv = s.NV + 2;
    double lo[3] = {s.PX[0][0], s.PY[0][0], s.PZ[0][0]};
    double hi[3] = {lo[0], lo[1], lo[2]};
    for (int32_t u = 0; u <= nu; ++u) {
        for (int32_t v = 0; v <= nv; ++v) {
            const double c[3] = {s.PX[u][v], s.PY[u][v], s.PZ[u][v]};
            for (int a = 0; a < 3; ++a) {
                lo[a] = std::fmin(lo[a], c[a]);
                hi[a] = std::fmax(hi[a], c[a]);
            }
        }
    }
    return std::fmax(hi[0] - lo[0], std::fmax(hi[1] - lo[1], hi[2] - lo[2]));
}

// Whether the side of the control net at u = fixed (alongV) or v = fixed (along u) is one point. A grid row
// or column that collapses (a pole, a closed edge) comes out of the fit a few units in the last place
// apart, so the side counts as one point within a millionth of a millionth of the net's extent.
bool CollapsedSide(const FittedSurface& s, double extent, bool alongV, int32_t fixed) {
    const int32_t nu = s.NU + 2;
    const int32_t nv = s.NV + 2;
    const double tolerance = 1e-12 * extent;
    const int32_t u0 = alongV ? fixed : 0;
    const int32_t v0 = alongV ? 0 : fixed;
    for (int32_t k = 1; k <= (alongV ? nv : nu); ++k) {
        const int32_t u = alongV ? fixed : k;
        const int32_t v = alongV ? k : fixed;
        const double d = std::fabs(s.PX[u][v] - s.PX[u0][v0]) + std::fabs(s.PY[u][v] - s.PY[u0][v0]) +
                         std::fabs(s.PZ[u][v] - s.PZ[u0][v0]);
        if (!(d <= tolerance)) return false;
    }
    return true;
}

FaceIds WriteFaceGeometry(StepRecords& r, const FittedSurface& s) {
    FaceIds ids;
    const int32_t nu = s.NU + 2;  // last u index of the net
    const int32_t nv = s.NV + 2;
    // Sides in edge order: v = 0, u = end, v = end, u = 0. A collapsed side is written as the one point it
    // stands for, so that the edges meeting there end on exactly the same place.
    const double extent = NetExtent(s);
    const bool collapsed[4] = {CollapsedSide(s, extent, false, 0), CollapsedSide(s, extent, true, nu),
                               CollapsedSide(s, extent, false, nv), CollapsedSide(s, extent, true, 0)};
    const int32_t first = r.Next();
    for (int32_t u = 0; u <= nu; ++u) {
        for (int32_t v = 0; v <= nv; ++v) {
            int32_t pu = u;
            int32_t pv = v;
            if ((u == 0 && collapsed[3]) || (u == nu && collapsed[1])) pv = 0;
            if ((v == 0 && collapsed[0]) || (v == nv && collapsed[2])) pu = 0;
            r.WritePoint(s.PX[pu][pv], s.PY[pu][pv], s.PZ[pu][pv]);
        }
    }
    const auto P = [&](int32_t u, int32_t v) { return first + u * (nv + 1) + v; };

    ids.Surface = r.Begin("=B_SPLINE_SURFACE_WITH_KNOTS(''," + std::to_string(s.Degree) + "," +
                          std::to_string(s.Degree) + ",(");
    for (int32_t u = 0; u <= nu; ++u) {
        r.Add("(");
        for (int32_t v = 0; v <= nv; ++v) {
            r.AddRef(P(u, v));
            if (v < nv) r.Add(",");
            r.Check();
        }
        r.Add(u < nu ? ")," : ")),");
        r.Check();
    }
    r.Add(".UNSPECIFIED.,");
    r.Check();
    r.Add(".F.,.F.,.F.,");
    r.Check();
    r.Add("(");
    const int32_t runsU = AddMultiplicities(r, s.UKnots, false);
    r.Add("),(");
    const int32_t runsV = AddMultiplicities(r, s.VKnots, false);
    r.Add("),(");
    AddKnotValues(r, s.UKnots, runsU, false);
    r.Add("),(");
    AddKnotValues(r, s.VKnots, runsV, false);
    r.End("),.UNSPECIFIED.);");
    const int32_t plane = r.Write(
        "=(GEOMETRIC_REPRESENTATION_CONTEXT(2)PARAMETRIC_REPRESENTATION_CONTEXT()REPRESENTATION_CONTEXT('2D SPACE',''));");

    // Boundary edges: along v = 0, along u = end, back along v = end, back along u = 0. An edge whose
    // two ends are one point (a collapsed row or column of the grid) is left out, whichever side it is:
    // readers take a zero-length edge for a degenerated one and then bound the face on part of its surface.
    for (int32_t e = 0; e < 4; ++e) {
        std::vector<int32_t> pts;
        int32_t a = 0;
        int32_t b = 0;
        const array1Df* knots = (e % 2 == 0) ? &s.UKnots : &s.VKnots;
        if (e == 0) {
            if (collapsed[0]) continue;
            for (int32_t u = 0; u <= nu; ++u) pts.push_back(P(u, 0));
            a = P(0, 0);
            b = P(nu, 0);
        } else if (e == 1) {
            if (collapsed[1]) continue;
            for (int32_t v = 0; v <= nv; ++v) pts.push_back(P(nu, v));
            a = P(nu, 0);
            b = P(nu, nv);
        } else if (e == 2) {
            if (collapsed[2]) continue;
            for (int32_t u = nu; u >= 0; --u) pts.push_back(P(u, nv));
            a = P(nu, nv);
            b = P(0, nv);
        } else {
            if (collapsed[3]) continue;
            for (int32_t v = nv; v >= 0; --v) pts.push_back(P(0, v));
            a = P(0, nv);
            b = P(0, 0);
        }
        const int32_t curve = WriteCurve(r, "", s.Degree, pts, *knots, e >= 2);
        ids.Vertex[2 * e] = r.Write("=VERTEX_POINT(''," + Ref(a) + ");");
        ids.Vertex[2 * e + 1] = r.Write("=VERTEX_POINT(''," + Ref(b) + ");");
        // The edge's place on the surface goes with it: a straight line in (u, v) along which the curve's own
        // parameter runs (negated on the returning edges). Readers that had to find it by projection go
        // astray next to a collapsed side, where every v is the same point, and lose part of the face.
        const double U0 = s.UKnots.front(), U1 = s.UKnots.back(), V0 = s.VKnots.front(), V1 = s.VKnots.back();
        const double origin[4][2] = {{0.0, V0}, {U1, 0.0}, {0.0, V1}, {U0, 0.0}};
        const char* const direction[4] = {"1.0,0.0", "0.0,1.0", "-1.0,0.0", "0.0,-1.0"};
        const int32_t start = r.Write("=CARTESIAN_POINT('',(" + FormatReal(origin[e][0]) + "," + FormatReal(origin[e][1]) + "));");
        const int32_t dir = r.Write("=DIRECTION('',(" + std::string(direction[e]) + "));");
        const int32_t vector = r.Write("=VECTOR(''," + Ref(dir) + ",1.0);");
        const int32_t line = r.Write("=LINE(''," + Ref(start) + "," + Ref(vector) + ");");
        const int32_t rep = r.Write("=DEFINITIONAL_REPRESENTATION('',(" + Ref(line) + ")," + Ref(plane) + ");");
        const int32_t pcurve = r.Write("=PCURVE(''," + Ref(ids.Surface) + "," + Ref(rep) + ");");
        ids.Curve[e] = r.Write("=SURFACE_CURVE(''," + Ref(curve) + ",(" + Ref(pcurve) + "),.CURVE_3D.);");
    }
    return ids;
}

const char* SlotColour(int32_t slot) {
    switch (slot) {
        case 6: return "0.75,0.0,0.0";
        case 7: return "0.0,0.75,0.0";
        case 8: return "0.0,0.0,0.75";
        default: return "0.75,0.75,0.75";
    }
}

// Face, shell, model, layer and style of one slot; appends to the styled-item and model lists.
void WriteFaceTopology(StepRecords& r, const FittedSurface& s, const FaceIds& ids, int32_t layer,
                       std::string& styled, std::string& models) {
    std::string loop;
    for (int32_t e = 0; e < 4; ++e) {
        if (ids.Curve[e] <= 0) continue;
        const int32_t edge = r.Write("=EDGE_CURVE(''," + Ref(ids.Vertex[2 * e]) + "," + Ref(ids.Vertex[2 * e + 1]) +
                                    "," + Ref(ids.Curve[e]) + ",.T.);");
        const int32_t oriented = r.Write("=ORIENTED_EDGE('',*,*," + Ref(edge) + ",.T.);");
        if (!loop.empty()) loop += ",";
        loop += Ref(oriented);
    }
    const int32_t B = r.Next();
    const auto R = [&](int32_t k) { return Ref(B + k); };
    r.Write("=EDGE_LOOP('',(" + loop + "));");
    r.Write("=FACE_OUTER_BOUND(''," + R(0) + ",.T.);");
    r.Write("=ADVANCED_FACE('',(" + R(1) + ")," + Ref(ids.Surface) + ",.T.);");
    r.Write("=OPEN_SHELL('',(" + R(2) + "));");
    r.Write("=SHELL_BASED_SURFACE_MODEL('" + s.Name + "',(" + R(3) + "));");
    models += R(4) + ",";
    r.Write("=PRESENTATION_LAYER_ASSIGNMENT('Level " + std::to_string(layer) + "','',(" + R(4) + "));");
    r.Write("=STYLED_ITEM('',(" + R(7) + ")," + R(4) + ");");
    styled += R(6) + ",";
    r.Write("=PRESENTATION_STYLE_ASSIGNMENT((" + R(8) + "));");
    r.Write("=SURFACE_STYLE_USAGE(.BOTH.," + R(9) + ");");
    r.Write("=SURFACE_SIDE_STYLE('" + s.Name + "',(" + R(10) + "));");
    r.Write("=SURFACE_STYLE_FILL_AREA(" + R(11) + ");");
    r.Write("=FILL_AREA_STYLE('',(" + R(12) + "));");
    r.Write("=FILL_AREA_STYLE_COLOUR(''," + R(13) + ");");
    r.Write("=COLOUR_RGB(''," + std::string(SlotColour(s.Slot)) + ");");
}

}  // namespace

void StepFlushLine(OutputFile& f, std::string& line) {
    if (line.size() > 70) {
        WriteTextLine(f, line);
        line.clear();
    }
}

std::string StepString(const std::string& utf8) {
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c >= 0x20 && c <= 0x7E) {
            if (c == '\'' || c == '\\') out += static_cast<char>(c);
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // A run of characters outside printable ASCII becomes one encoded group.
        std::vector<uint32_t> run;
        while (i < utf8.size()) {
            const unsigned char d = static_cast<unsigned char>(utf8[i]);
            if (d >= 0x20 && d <= 0x7E) break;
            run.push_back(NextCodePoint(utf8, i));
        }
        bool wide = false;
        for (uint32_t cp : run) wide = wide || cp > 0xFFFF;
        out += wide ? "\\X4\\" : "\\X2\\";
        for (uint32_t cp : run) {
            char buf[16];
            std::snprintf(buf, sizeof buf, wide ? "%08X" : "%04X", static_cast<unsigned>(cp));
            out += buf;
        }
        out += "\\X0\\";
    }
    return out;
}

void ExportStepSurfaces(const ModelState& m, const std::string& fileName, const ExportClock& clock) {
    const std::vector<FittedSurface> surfaces = FitModelSurfaces(m);  // throws before any file exists

    OutputFile f(fileName);
    WriteHeader(f, fileName, clock);
    StepRecords r(f);
    std::vector<FaceIds> ids;
    ids.reserve(surfaces.size());
    for (const FittedSurface& s : surfaces) ids.push_back(WriteFaceGeometry(r, s));

    std::string styled;
    std::string models;
    for (std::size_t k = 0; k < surfaces.size(); ++k) {
        WriteFaceTopology(r, surfaces[k], ids[k], static_cast<int32_t>(k), styled, models);
    }
    if (!styled.empty()) styled.pop_back();

    const int32_t T = r.Next();
    const auto R = [&](int32_t k) { return Ref(T + k); };
    r.Write("=MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(" + styled + ")," + R(20) + ");");
    r.Write("=MANIFOLD_SURFACE_SHAPE_REPRESENTATION('shell',(" + models + R(22) + ")," + R(20) + ");");
    r.Write("=SHAPE_REPRESENTATION_RELATIONSHIP('',''," + R(21) + "," + R(1) + ");");
    WriteCommonTail(r, T);
    WriteFooter(f);
}

void ExportStepCurves(const ModelState& m, const AirfoilOptions& options, const std::string& fileName,
                      const ExportClock& clock) {
    const std::array<FittedCurve, 2> curves = FitSectionCurves(m, options);  // throws before any file exists

    OutputFile f(fileName);
    WriteHeader(f, fileName, clock);
    StepRecords r(f);
    int32_t curveIds[2] = {0, 0};
    for (int32_t k = 0; k < 2; ++k) {
        const FittedCurve& c = curves[k];
        std::vector<int32_t> pts;
        for (int32_t i = 0; i <= c.N + 2; ++i) {
            pts.push_back(options.AirfoilXZPlane ? r.WritePoint(c.PX[i], c.PZ[i], c.PY[i])
                                                 : r.WritePoint(c.PX[i], c.PY[i], c.PZ[i]));
        }
        curveIds[k] = WriteCurve(r, c.Name, c.Degree, pts, c.Knots, false);
    }

    const int32_t S = r.Next();
    const auto R = [&](int32_t k) { return Ref(S + k); };
    const std::string c0 = Ref(curveIds[0]);
    const std::string c1 = Ref(curveIds[1]);
    r.Write("=SHAPE_REPRESENTATION_RELATIONSHIP('',''," + R(31) + "," + R(2) + ");");
    r.Write("=GEOMETRIC_CURVE_SET('curve_set_0',(" + c0 + "," + c1 + "));");
    r.Write("=GEOMETRICALLY_BOUNDED_WIREFRAME_SHAPE_REPRESENTATION('wireframe_rep_0',(" + R(1) + "," + R(32) + ")," +
            R(30) + ");");
    r.Write("=COLOUR_RGB('',0.,0.,0.);");
    r.Write("=CURVE_STYLE('" + std::string(CurveNames[0]) + "',$,POSITIVE_LENGTH_MEASURE(0.02)," + R(3) + ");");
    r.Write("=CURVE_STYLE('" + std::string(CurveNames[1]) + "',$,POSITIVE_LENGTH_MEASURE(0.02)," + R(3) + ");");
    r.Write("=MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(" + R(9) + "," + R(10) + ")," + R(30) +
            ");");
    r.Write("=PRESENTATION_STYLE_ASSIGNMENT((" + R(4) + "));");
    r.Write("=PRESENTATION_STYLE_ASSIGNMENT((" + R(5) + "));");
    r.Write("=STYLED_ITEM('',(" + R(7) + ")," + c0 + ");");
    r.Write("=STYLED_ITEM('',(" + R(8) + ")," + c1 + ");");
    r.Write("=PRESENTATION_LAYER_ASSIGNMENT('Default','',(" + c0 + "));");
    r.Write("=PRESENTATION_LAYER_ASSIGNMENT('Default','',(" + c1 + "));");
    WriteCommonTail(r, S + 10);
    WriteFooter(f);
}

}  // namespace korvel
