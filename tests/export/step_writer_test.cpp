// step_writer_test.cpp — exchange-file text: numbers, time stamps, strings, golden structure of a tiny model, failures.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "export/step_file.h"
#include "export/step_writer.h"
#include "export/tiny_model.h"

namespace korvel {
namespace {

using test::ParseStep;
using test::StepFile;
using test::TempDir;

TEST(StepText, FormatRealKeepsOneToThirteenDecimalsWithADot) {
    EXPECT_EQ(FormatReal(1.0), "1.0");
    EXPECT_EQ(FormatReal(0.125), "0.125");
    EXPECT_EQ(FormatReal(-2.0), "-2.0");
    EXPECT_EQ(FormatReal(0.0), "0.0");
    EXPECT_EQ(FormatReal(-0.0), "0.0");
    EXPECT_EQ(FormatReal(-0.00000000000001), "-0.0");
    EXPECT_EQ(FormatReal(1.0 / 3.0), "0.3333333333333");
    EXPECT_EQ(FormatReal(-2.0 / 3.0), "-0.6666666666667");
    EXPECT_EQ(FormatReal(1e20), "100000000000000000000.0");
    EXPECT_EQ(FormatReal(123.456), "123.456");
    EXPECT_EQ(FormatReal(0.00000000000006), "0.0000000000001");
}

TEST(StepText, TimeStampsCarryTheLocalOffset) {
    EXPECT_EQ(TimeZoneOffsetText(0), "Z");
    EXPECT_EQ(TimeZoneOffsetText(60), "+01:00");
    EXPECT_EQ(TimeZoneOffsetText(-330), "-05:30");
    EXPECT_EQ(TimeZoneOffsetText(765), "+12:45");
    EXPECT_EQ(IsoTimestamp(60, LocalDateTime{2026, 12, 5, 17, 58, 53}), "2026-12-05T17:58:53+01:00");
    EXPECT_EQ(IsoTimestamp(0, LocalDateTime{987, 1, 2, 3, 4, 5}), "0987-01-02T03:04:05Z");
    const ClockReading now = ReadSystemClock();
    EXPECT_GE(now.Local.Year, 2024);
    EXPECT_LE(std::abs(now.OffsetMinutes), 14 * 60);
}

TEST(StepText, StringsAreEscapedAsExchangeFileStrings) {
    EXPECT_EQ(StepString("wing"), "wing");
    EXPECT_EQ(StepString("it's"), "it''s");
    EXPECT_EQ(StepString("a\\b"), "a\\\\b");
    EXPECT_EQ(StepString("Fl\xC3\xBCgel"), "Fl\\X2\\00FC\\X0\\gel");
    EXPECT_EQ(StepString("\xE2\x82\xAC\xC3\xA9!"), "\\X2\\20AC00E9\\X0\\!");
    EXPECT_EQ(StepString("\xF0\x9F\x98\x80"), "\\X4\\0001F600\\X0\\");
    EXPECT_EQ(StepString("a\xFFz\tq"), "a\\X2\\00FF\\X0\\z\\X2\\0009\\X0\\q");  // stray byte, control character
}

// Rows of a surface's reference list: ids first + u (nv+1) + v.
std::string SurfaceRows(int first, int nu, int nv) {
    std::string s;
    for (int u = 0; u <= nu; ++u) {
        s += u == 0 ? "((" : ",(";
        for (int v = 0; v <= nv; ++v) s += (v ? ",#" : "#") + std::to_string(first + u * (nv + 1) + v);
        s += ")";
    }
    return s + ")";
}

TEST(StepSurfaceFile, TinyModelHasTheGoldenStructure) {
    TempDir dir;
    const std::string path = dir.File("tiny.step");
    ExportStepSurfaces(test::TinyModel(), path, test::FixedClock);
    const StepFile f = ParseStep(path);

    const std::vector<std::string> header = {"ISO-10303-21;", "HEADER;", "FILE_DESCRIPTION((''),'2;1');", "FILE_NAME(",
                                             "/* name */ 'tiny',", "/* time_stamp */ '2026-12-05T17:58:53+01:00',",
                                             "/* author */ (''),", "/* organization */ (''),",
                                             "/* preprocessor_version */ '',", "/* originating_system */ '',",
                                             "/* authorization */ '');", "FILE_SCHEMA (('AUTOMOTIVE_DESIGN'));",
                                             "ENDSEC;", "DATA;"};
    EXPECT_EQ(f.Header, header);
    EXPECT_EQ(f.Footer, (std::vector<std::string>{"ENDSEC;", "END-ISO-10303-21;"}));
    // Two patches of 7 x 5 control points, four edges each (curve and two vertices), 22 topology and
    // style records each, then the 26 tail records.
    ASSERT_EQ(f.Records.size(), 166u);
    for (std::size_t i = 0; i < f.Records.size(); ++i) ASSERT_EQ(f.Records[i].Id, static_cast<int>(i) + 1);
    for (int id = 1; id <= 35; ++id) EXPECT_TRUE(f[id].Is("CARTESIAN_POINT")) << id;
    EXPECT_EQ(f[36].Text, "B_SPLINE_SURFACE_WITH_KNOTS('',3,3," + SurfaceRows(1, 6, 4) +
                              ",.UNSPECIFIED.,.F.,.F.,.F.,(4,1,1,1,4),(4,1,4),(0.0,0.25,0.5,0.75,1.0),(0.0,0.5,1.0),"
                              ".UNSPECIFIED.);");
    EXPECT_EQ(f[37].Text, "B_SPLINE_CURVE_WITH_KNOTS('',3,(#1,#6,#11,#16,#21,#26,#31),.UNSPECIFIED.,.F.,.F.,"
                          "(4,1,1,1,4),(0.0,0.25,0.5,0.75,1.0),.UNSPECIFIED.);");
    EXPECT_EQ(f[38].Text, "VERTEX_POINT('',#1);");
    EXPECT_EQ(f[39].Text, "VERTEX_POINT('',#31);");
    EXPECT_EQ(f[40].Text, "B_SPLINE_CURVE_WITH_KNOTS('',3,(#31,#32,#33,#34,#35),.UNSPECIFIED.,.F.,.F.,(4,1,4),"
                          "(0.0,0.5,1.0),.UNSPECIFIED.);");
    EXPECT_EQ(f[43].Text, "B_SPLINE_CURVE_WITH_KNOTS('',3,(#35,#30,#25,#20,#15,#10,#5),.UNSPECIFIED.,.F.,.F.,"
                          "(4,1,1,1,4),(-1.0,-0.75,-0.5,-0.25,0.0),.UNSPECIFIED.);");
    EXPECT_EQ(f[46].Text, "B_SPLINE_CURVE_WITH_KNOTS('',3,(#5,#4,#3,#2,#1),.UNSPECIFIED.,.F.,.F.,(4,1,4),"
                          "(-1.0,-0.5,0.0),.UNSPECIFIED.);");
    EXPECT_EQ(f[48].Text, "VERTEX_POINT('',#1);");
    EXPECT_TRUE(f[84].Is("B_SPLINE_SURFACE_WITH_KNOTS"));
    EXPECT_EQ(f[84].Text.substr(0, 45), "B_SPLINE_SURFACE_WITH_KNOTS('',3,3,((#49,#50,");

    const std::vector<std::string> face1 = {
        "EDGE_CURVE('',#38,#39,#37,.T.);", "ORIENTED_EDGE('',*,*,#97,.T.);",
        "EDGE_CURVE('',#41,#42,#40,.T.);", "ORIENTED_EDGE('',*,*,#99,.T.);",
        "EDGE_CURVE('',#44,#45,#43,.T.);", "ORIENTED_EDGE('',*,*,#101,.T.);",
        "EDGE_CURVE('',#47,#48,#46,.T.);", "ORIENTED_EDGE('',*,*,#103,.T.);",
        "EDGE_LOOP('',(#98,#100,#102,#104));", "FACE_OUTER_BOUND('',#105,.T.);",
        "ADVANCED_FACE('',(#106),#36,.T.);", "OPEN_SHELL('',(#107));",
        "SHELL_BASED_SURFACE_MODEL('Surface1',(#108));", "PRESENTATION_LAYER_ASSIGNMENT('Level 0','',(#109));",
        "STYLED_ITEM('',(#112),#109);", "PRESENTATION_STYLE_ASSIGNMENT((#113));",
        "SURFACE_STYLE_USAGE(.BOTH.,#114);", "SURFACE_SIDE_STYLE('Surface1',(#115));",
        "SURFACE_STYLE_FILL_AREA(#116);", "FILL_AREA_STYLE('',(#117));", "FILL_AREA_STYLE_COLOUR('',#118);",
        "COLOUR_RGB('',0.75,0.75,0.75);"};
    for (std::size_t k = 0; k < face1.size(); ++k) EXPECT_EQ(f[97 + static_cast<int>(k)].Text, face1[k]);
    EXPECT_EQ(f[131].Text, "SHELL_BASED_SURFACE_MODEL('Surface2',(#130));");
    EXPECT_EQ(f[132].Text, "PRESENTATION_LAYER_ASSIGNMENT('Level 1','',(#131));");

    const std::vector<std::string> tail = {
        "MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(#111,#133),#161);",
        "MANIFOLD_SURFACE_SHAPE_REPRESENTATION('shell',(#109,#131,#163),#161);",
        "SHAPE_REPRESENTATION_RELATIONSHIP('','',#162,#142);",
        "SHAPE_DEFINITION_REPRESENTATION(#145,#162);",
        "PRODUCT_DEFINITION_SHAPE('Document','',#147);",
        "PRODUCT_DEFINITION_CONTEXT('3D Mechanical Parts',#151,'design');",
        "PRODUCT_DEFINITION('A','First version',#148,#146);",
        "PRODUCT_DEFINITION_FORMATION_WITH_SPECIFIED_SOURCE('A','First version',#153,.MADE.);",
        "PRODUCT_RELATED_PRODUCT_CATEGORY('tool','tool',(#153));",
        "APPLICATION_PROTOCOL_DEFINITION('Draft International Standard','automotive_design',1999,#151);",
        "APPLICATION_CONTEXT('data for automotive mechanical design processes');",
        "PRODUCT_CONTEXT('3D Mechanical Parts',#151,'mechanical');",
        "PRODUCT('Document','Document','korvel converted to STEP',(#152));",
        "(LENGTH_UNIT()NAMED_UNIT(*)SI_UNIT(.MILLI.,.METRE.));",
        "(NAMED_UNIT(*)PLANE_ANGLE_UNIT()SI_UNIT($,.RADIAN.));",
        "DIMENSIONAL_EXPONENTS(0.,0.,0.,0.,0.,0.,0.);",
        "PLANE_ANGLE_MEASURE_WITH_UNIT(PLANE_ANGLE_MEASURE(0.01745329252),#155);",
        "(CONVERSION_BASED_UNIT('DEGREES',#157)NAMED_UNIT(#156)PLANE_ANGLE_UNIT());",
        "(NAMED_UNIT(*)SI_UNIT($,.STERADIAN.)SOLID_ANGLE_UNIT());",
        "UNCERTAINTY_MEASURE_WITH_UNIT(LENGTH_MEASURE(0.001),#154,'DISTANCE_ACCURACY_VALUE','Maximum model space "
        "distance between geometric entities at asserted connectivities');",
        "(GEOMETRIC_REPRESENTATION_CONTEXT(3)GLOBAL_UNCERTAINTY_ASSIGNED_CONTEXT((#160))GLOBAL_UNIT_ASSIGNED_CONTEXT(("
        "#159,#158,#154))REPRESENTATION_CONTEXT('ID1','3D'));",
        "SHAPE_REPRESENTATION('Document',(#163),#161);",
        "AXIS2_PLACEMENT_3D('',#166,#164,#165);",
        "DIRECTION('',(0.,0.,1.));",
        "DIRECTION('',(1.,0.,0.));",
        "CARTESIAN_POINT('',(0.,0.,0.));"};
    for (std::size_t k = 0; k < tail.size(); ++k) EXPECT_EQ(f[141 + static_cast<int>(k)].Text, tail[k]);
    EXPECT_EQ(f[154].Lines.size(), 3u);  // the complex unit records keep their pieces on lines of their own
    EXPECT_EQ(f[160].Lines.size(), 3u);
    EXPECT_EQ(f[161].Lines.size(), 4u);
}

TEST(StepSurfaceFile, LongRecordsWrapBetweenPiecesAfterSeventyCharacters) {
    TempDir dir;
    const std::string path = dir.File("wrap.step");
    ExportStepSurfaces(test::TinyModel(12, 16), path, test::FixedClock);
    const StepFile f = ParseStep(path);
    int wrapped = 0;
    for (const test::StepRecord& r : f.Records) {
        const bool bspline = r.Is("B_SPLINE_SURFACE_WITH_KNOTS") || r.Is("B_SPLINE_CURVE_WITH_KNOTS");
        if (!bspline) {
            // The complex unit records and the uncertainty keep their pieces on lines of their own.
            if (r.Text.find('(') == 0 || r.Is("UNCERTAINTY_MEASURE_WITH_UNIT")) continue;
            EXPECT_EQ(r.Lines.size(), 1u) << r.Text;
            continue;
        }
        EXPECT_EQ(r.Lines.back().substr(r.Lines.back().size() - 17), "),.UNSPECIFIED.);");
        for (std::size_t k = 0; k + 1 < r.Lines.size(); ++k) {
            ++wrapped;
            EXPECT_GE(r.Lines[k].size(), 71u) << r.Lines[k];
            // Never inside a number or a reference: a line ending in a digit is not followed by one.
            const char end = r.Lines[k].back();
            const char next = r.Lines[k + 1].front();
            EXPECT_FALSE((std::isdigit(end) || end == '#' || end == '.' || end == '-') &&
                         (std::isdigit(next) || next == '.'))
                << r.Lines[k] << " | " << r.Lines[k + 1];
        }
    }
    EXPECT_GT(wrapped, 50);
}

TEST(StepSurfaceFile, CutPlanesTakeTheirOwnLayerNameAndColour) {
    TempDir dir;
    ModelState m = test::TinyModel();
    test::AddCutPlaneX(m);
    const std::string path = dir.File("cut.step");
    ExportStepSurfaces(m, path, test::FixedClock);
    const StepFile f = ParseStep(path);
    const auto models = f.OfType("SHELL_BASED_SURFACE_MODEL");
    ASSERT_EQ(models.size(), 3u);
    EXPECT_EQ(models[2]->Text.substr(0, 35), "SHELL_BASED_SURFACE_MODEL('CutYZ',(");
    const auto layers = f.OfType("PRESENTATION_LAYER_ASSIGNMENT");
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(layers[2]->Text.substr(0, 39), "PRESENTATION_LAYER_ASSIGNMENT('Level 2'");
    const auto colours = f.OfType("COLOUR_RGB");
    ASSERT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours[2]->Text, "COLOUR_RGB('',0.75,0.0,0.0);");
    const auto surfaces = f.OfType("B_SPLINE_SURFACE_WITH_KNOTS");
    ASSERT_EQ(surfaces.size(), 3u);
    // 36 control points, multiplicities 4,1,1,4 both ways.
    EXPECT_EQ(test::Refs(surfaces[2]->Text).size(), 36u);
    EXPECT_NE(surfaces[2]->Text.find(",(4,1,1,4),(4,1,1,4),(0.0,"), std::string::npos) << surfaces[2]->Text;
}

TEST(StepSurfaceFile, CollapsedEndsDropTheirEdgeAndItsVertices) {
    TempDir dir;
    for (int collapsed : {1, 2}) {
        ModelState m = test::TinyModel();
        for (int j = 1; j <= 5; ++j) {
            m.GridY[1][j] = m.GridZ[1][j] = 0.0;  // first grid row is one point: edge 3 goes
            if (collapsed == 2) m.GridY[5][j] = m.GridZ[5][j] = 0.0;  // and the last: edge 1 goes too
        }
        const std::string path = dir.File("pole.step");
        ExportStepSurfaces(m, path, test::FixedClock);
        const StepFile f = ParseStep(path);
        const int edges = 4 - collapsed;
        EXPECT_EQ(f.OfType("B_SPLINE_CURVE_WITH_KNOTS").size(), 2u * edges);
        EXPECT_EQ(f.OfType("VERTEX_POINT").size(), 4u * edges);
        for (const auto* loop : f.OfType("EDGE_LOOP")) EXPECT_EQ(test::Refs(loop->Text).size(), static_cast<size_t>(edges));
    }
}

TEST(StepSurfaceFile, FailuresWriteNoFileAndNameTheCause) {
    TempDir dir;
    ModelState flat = test::TinyModel();
    for (auto* g : {&flat.GridX, &flat.GridY, &flat.GridZ})
        for (auto& row : *g) std::fill(row.begin(), row.end(), 1.0);
    const std::string fresh = dir.File("fresh.step");
    EXPECT_THROW(ExportStepSurfaces(flat, fresh, test::FixedClock), ExportError);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    // An existing file is left as it was.
    const std::string old = dir.File("old.step");
    { std::ofstream(old) << "keep"; }
    EXPECT_THROW(ExportStepSurfaces(flat, old, test::FixedClock), ExportError);
    EXPECT_EQ(test::ReadAll(old), "keep");

    EXPECT_THROW(ExportStepSurfaces(ModelState{}, fresh, test::FixedClock), ExportError);
    EXPECT_THROW(ExportStepCurves(ModelState{}, AirfoilOptions{}, fresh, test::FixedClock), ExportError);
    EXPECT_FALSE(std::filesystem::exists(fresh));

    try {
        ExportStepSurfaces(test::TinyModel(), dir.File("no/such/folder/x.step"), test::FixedClock);
        FAIL() << "writing into a missing folder succeeded";
    } catch (const ExportError& e) {
        EXPECT_NE(std::string(e.what()).find("x.step"), std::string::npos) << e.what();
    }
    // A full disk shows up as an error, never as success.
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_THROW(ExportStepSurfaces(test::TinyModel(), "/dev/full", test::FixedClock), ExportError);
        EXPECT_THROW(ExportStepCurves(test::TinySection(), AirfoilOptions{}, "/dev/full", test::FixedClock),
                     ExportError);
    }
}

TEST(StepSurfaceFile, HeaderNameIsTheEscapedFileStem) {
    TempDir dir;
    const std::string path = dir.File("it's a Fl\xC3\xBCgel.model.stp");
    ExportStepSurfaces(test::TinyModel(), path, test::FixedClock);
    EXPECT_EQ(ParseStep(path).Header[4], "/* name */ 'it''s a Fl\\X2\\00FC\\X0\\gel.model',");
}

TEST(StepCurveFile, TwoCurvesWithTheFixedTail) {
    TempDir dir;
    const std::string path = dir.File("section.step");
    ExportStepCurves(test::TinySection(), AirfoilOptions{}, path, test::FixedClock);
    const StepFile f = ParseStep(path);
    // N = 4: seven control points per curve, the curves at #8 and #16, then 36 tail records.
    ASSERT_EQ(f.Records.size(), 52u);
    EXPECT_EQ(f[8].Text.substr(0, 61), "B_SPLINE_CURVE_WITH_KNOTS('UpperSrf',3,(#1,#2,#3,#4,#5,#6,#7)");
    EXPECT_EQ(f[16].Text.substr(0, 67), "B_SPLINE_CURVE_WITH_KNOTS('LowerSrf',3,(#9,#10,#11,#12,#13,#14,#15)");
    EXPECT_EQ(f[1].Text, "CARTESIAN_POINT('',(1.0,0.0,0.0));");  // the upper curve starts at the trailing edge
    EXPECT_EQ(f[7].Text, "CARTESIAN_POINT('',(0.0,0.0,0.0));");
    const std::vector<std::string> tail = {
        "SHAPE_REPRESENTATION_RELATIONSHIP('','',#48,#19);",
        "GEOMETRIC_CURVE_SET('curve_set_0',(#8,#16));",
        "GEOMETRICALLY_BOUNDED_WIREFRAME_SHAPE_REPRESENTATION('wireframe_rep_0',(#18,#49),#47);",
        "COLOUR_RGB('',0.,0.,0.);",
        "CURVE_STYLE('UpperSrf',$,POSITIVE_LENGTH_MEASURE(0.02),#20);",
        "CURVE_STYLE('LowerSrf',$,POSITIVE_LENGTH_MEASURE(0.02),#20);",
        "MECHANICAL_DESIGN_GEOMETRIC_PRESENTATION_REPRESENTATION('',(#26,#27),#47);",
        "PRESENTATION_STYLE_ASSIGNMENT((#21));",
        "PRESENTATION_STYLE_ASSIGNMENT((#22));",
        "STYLED_ITEM('',(#24),#8);",
        "STYLED_ITEM('',(#25),#16);",
        "PRESENTATION_LAYER_ASSIGNMENT('Default','',(#8));",
        "PRESENTATION_LAYER_ASSIGNMENT('Default','',(#16));",
        "SHAPE_DEFINITION_REPRESENTATION(#31,#48);"};
    for (std::size_t k = 0; k < tail.size(); ++k) EXPECT_EQ(f[17 + static_cast<int>(k)].Text, tail[k]);
    EXPECT_EQ(f[52].Text, "CARTESIAN_POINT('',(0.,0.,0.));");
}

TEST(StepCurveFile, ChordLengthScalesAndTheXZPlaneSwapsCoordinates) {
    TempDir dir;
    const std::string plain = dir.File("plain.step");
    const std::string scaled = dir.File("scaled.step");
    ExportStepCurves(test::TinySection(), AirfoilOptions{}, plain, test::FixedClock);
    ExportStepCurves(test::TinySection(), AirfoilOptions{2.5, true}, scaled, test::FixedClock);
    const StepFile a = ParseStep(plain);
    const StepFile b = ParseStep(scaled);
    ASSERT_EQ(a.Records.size(), b.Records.size());
    for (int id : {1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 15}) {
        const auto pa = test::FlatLists(a[id].Text).at(0);
        const auto pb = test::FlatLists(b[id].Text).at(0);
        EXPECT_NEAR(std::stod(pb[0]), 2.5 * std::stod(pa[0]), 1e-12);
        EXPECT_NEAR(std::stod(pb[2]), 2.5 * std::stod(pa[1]), 1e-12);
        EXPECT_EQ(pb[1], "0.0");
    }
    EXPECT_EQ(a[8].Text, b[8].Text);  // the curve records refer to the same ids and knots
}

}  // namespace
}  // namespace korvel
