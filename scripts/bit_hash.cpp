// bit_hash.cpp — fingerprints of builds and exports: triangle lists, mass properties and written files.
// A speed change must leave these unchanged. Build it against a build folder's libraries and compare
// its output before and after the change:
//   g++ -std=c++20 -O2 -ffp-contract=off -I. scripts/bit_hash.cpp build/libkorvel_export.a
//       build/libkorvel_engine.a -o /tmp/bit_hash && /tmp/bit_hash [big]
// "big" fingerprints the 2000 x 2000 body and its IGES and STEP files instead of the option sweep.
#include <cstdio>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/build_model.h"
#include "engine/canvas.h"
#include "export/iges_writer.h"
#include "export/step_writer.h"
#include "export/stl_writer.h"
#include "export/obj_writer.h"
#include "export/airfoil_dat_writer.h"
#include "export/curve_txt_writer.h"
#include "export/export_options.h"

using namespace korvel;

static uint64_t Fnv(const void* p, size_t n, uint64_t h = 1469598103934665603ULL) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i) { h ^= b[i]; h *= 1099511628211ULL; }
    return h;
}
static uint64_t FileHash(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss; ss << f.rdbuf();
    const std::string s = ss.str();
    return Fnv(s.data(), s.size());
}

int main(int argc, char** argv) {
    const bool big = argc > 1 && std::strcmp(argv[1], "big") == 0;
    const std::string dir = (std::filesystem::temp_directory_path() / "korvel-bit-hash").string();
    std::vector<BuildInputs> cases;
    const double cuts[6][3] = {{1, 1, 1}, {0.4, 1, 1}, {1, 0.6, 1}, {1, 1, 0.3}, {0.4, 0.6, 0.7}, {1, 1, 1}};
    for (int32_t n : {24, 40, 8}) for (int32_t shape = 0; shape < 8; ++shape) for (int32_t sets = 0; sets < 3; ++sets)
        for (int cut = 0; cut < 6; ++cut) {
            BuildInputs in;
            in.nX = in.mYZ = n;
            in.ActWing = shape >= 5;
            in.c = in.ActWing ? shape - 5 : shape;
            in.ActCut = in.c > 0;
            in.fY = in.ActWing ? 3.0 : 1.0;
            if (sets > 0) { in.vs3 = sets - 1; in.tx3 = 1.0; in.tz3 = 0.3; in.kt3 = 20.0; in.tx2 = 0.5; in.tz2 = 0.2; }
            in.csX = cuts[cut][0]; in.csY = cuts[cut][1]; in.csZ = cuts[cut][2];
            in.ActCutSec = cut >= 1 && cut <= 4;
            in.ActMirror = cut == 5;
            for (int32_t type = 1; type <= (in.ActCutSec ? 2 : 1); ++type) { in.tX = in.tY = in.tZ = type; cases.push_back(in); }
        }
    { BuildInputs in; in.ActWing = true; in.nX = in.mYZ = 256; in.fY = 4.0; in.ActCutSec = true; in.csX = 0.5; in.csY = 0.3; in.csZ = 0.6; in.tY = 2; in.ActMirror = true; cases.push_back(in); }
    { BuildInputs in; in.ActWing = true; in.nX = in.mYZ = 40; in.fY = 4.0; in.foldX = 10.0; in.wt = 1.0; in.SpanFamily = 1; cases.push_back(in); }
    { BuildInputs in; in.Tea = in.Lea = 180.0; in.rb = in.rc1 = in.rc2 = 1.0; cases.push_back(in); }
    if (big) { BuildInputs in; in.nX = in.mYZ = 2000; cases.clear(); cases.push_back(in); }
    uint64_t all = 0;
    ModelState kept;  // one state across all builds, as the window keeps it
    for (size_t ci = 0; ci < cases.size(); ++ci) {
        for (int pass = 0; pass < 2; ++pass) {
            ModelState fresh;
            ModelState& m = pass == 0 ? fresh : kept;
            if (pass == 0) { m.LengthX = ci % 5 == 1 ? 2.0 : -1.0; m.HeightZ = ci % 7 == 2 ? 0.5 : -1.0; }
            NullCanvas canvas;
            std::string info;
            BuildModel(m, cases[ci], canvas, info);
            uint64_t h = Fnv(&m.TriangleLast, sizeof m.TriangleLast);
            if (m.TriangleLast >= 0) h = Fnv(m.Triangles.data(), sizeof(T3p) * size_t(m.TriangleLast + 1), h);
            const double mp[] = {m.Volume, m.SurfaceArea, m.Centroid.x, m.Centroid.y, m.Centroid.z, m.FittedSize.x, m.FittedSize.y, m.FittedSize.z,
                                 m.ScaleFactor.x, m.ScaleFactor.y, m.ScaleFactor.z, m.GridSize.x, m.GridSize.y, m.GridSize.z, m.NaturalSize.x, m.NaturalSize.y, m.NaturalSize.z};
            h = Fnv(mp, sizeof mp, h);
            h = Fnv(info.data(), info.size(), h);
            uint64_t fh = 0;
            if (pass == 0 && (ci % 4 == 0 || big || ci + 3 >= cases.size())) {
                const ExportClock clock = [] { return ClockReading{}; };
                ExportOptions opt;
                try { ExportIgesSurfaces(m, opt, dir + ".igs", nullptr, clock); uint64_t x = FileHash(dir + ".igs"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
                try { ExportStepSurfaces(m, dir + ".step", clock); uint64_t x = FileHash(dir + ".step"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
                if (!big) {
                try { ExportStl(m, dir + ".stl", 0); uint64_t x = FileHash(dir + ".stl"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
                try { ExportObjSurfaces(m, dir + ".obj"); uint64_t x = FileHash(dir + ".obj"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
                try { ExportIgesCurves(m, opt, dir + "c.igs", nullptr, clock); uint64_t x = FileHash(dir + "c.igs"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
                try { ExportStepCurves(m, opt.Airfoil, dir + "c.step", clock); uint64_t x = FileHash(dir + "c.step"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
                }
            }
            std::printf("case %zu pass %d tri %d mesh %016llx files %016llx\n", ci, pass, m.TriangleLast, (unsigned long long)h, (unsigned long long)fh);
            all = Fnv(&h, 8, all); all = Fnv(&fh, 8, all);
        }
    }
    // 2D sections and their curve files.
    for (int32_t n : {16, 40, 64, 200}) for (int wing = 0; wing < 2; ++wing) for (int sets = 0; sets < 2; ++sets) {
        BuildInputs in; in.Act3D = false; in.nX = n; in.CanvasWidth = 800; in.CanvasHeight = 500; in.ActWing = wing; in.y0 = 0.03 * sets;
        if (sets) { in.tx3 = 1.0; in.tz3 = 0.3; in.kt3 = 20.0; }
        ModelState m; NullCanvas canvas(800, 500); std::string info;
        BuildModel(m, in, canvas, info);
        const ExportClock clock = [] { return ClockReading{}; };
        ExportOptions opt;
        uint64_t fh = 0;
        for (int xz = 0; xz < 2; ++xz) {
            opt.Airfoil.AirfoilXZPlane = xz;
            try { ExportIgesCurves(m, opt, dir + "c.igs", nullptr, clock); uint64_t x = FileHash(dir + "c.igs"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
            try { ExportStepCurves(m, opt.Airfoil, dir + "c.step", clock); uint64_t x = FileHash(dir + "c.step"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
            try { ExportObjCurves(m, opt.Airfoil, dir + "c.obj"); uint64_t x = FileHash(dir + "c.obj"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
        }
        try { ExportAirfoilDat(m, dir + ".dat"); uint64_t x = FileHash(dir + ".dat"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
        try { ExportCurveTxt(m, dir + ".txt"); uint64_t x = FileHash(dir + ".txt"); fh = Fnv(&x, 8, fh); } catch (const std::exception& e) { fh = Fnv(e.what(), strlen(e.what()), fh); }
        std::printf("section %d %d %d files %016llx\n", n, wing, sets, (unsigned long long)fh);
        all = Fnv(&fh, 8, all);
    }
    // 2D tunnel solutions (allowed to move within 1e-12 relative; printed for the record).
    for (int panels : {40, 160, 632}) {
        BuildInputs in; in.Act3D = false; in.ActTunnel = true; in.nX = panels; in.CanvasWidth = 800; in.CanvasHeight = 500; in.y0 = 0.05; in.AngleOfAttack = 4.0;
        ModelState m; NullCanvas canvas(800, 500); std::string info;
        BuildModel(m, in, canvas, info);
        uint64_t h = Fnv(m.SolverCache.MuCos.data(), 8 * m.SolverCache.MuCos.size());
        h = Fnv(m.SolverCache.MuSin.data(), 8 * m.SolverCache.MuSin.size(), h);
        std::printf("tunnel %d mu %016llx info %s\n", panels, (unsigned long long)h, info.c_str());
    }
    std::printf("ALL %016llx (%zu cases)\n", (unsigned long long)all, cases.size());
}
