// stl_writer.cpp — binary STL of the model's triangle list.
#include "stl_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "export_common.h"
#include "fitted_model.h"
#include "output_file.h"

namespace korvel {

namespace {

void PutU32(unsigned char* out, uint32_t v) {
    out[0] = static_cast<unsigned char>(v & 0xFFu);
    out[1] = static_cast<unsigned char>((v >> 8) & 0xFFu);
    out[2] = static_cast<unsigned char>((v >> 16) & 0xFFu);
    out[3] = static_cast<unsigned char>((v >> 24) & 0xFFu);
}

void PutFloat(unsigned char* out, float v) { PutU32(out, std::bit_cast<uint32_t>(v)); }

// One 50-byte triangle record: unit normal, the three vertices, the attribute word.
void PutTriangle(unsigned char* out, const T3p& t) {
    const Point3f& p0 = t.p[0];
    const Point3f& p1 = t.p[1];
    const Point3f& p2 = t.p[2];
    const float e1x = p1.x - p0.x, e1y = p1.y - p0.y, e1z = p1.z - p0.z;
    const float e2x = p2.x - p0.x, e2y = p2.y - p0.y, e2z = p2.z - p0.z;
    const float nx = e1y * e2z - e1z * e2y;
    const float ny = e1z * e2x - e1x * e2z;
    const float nz = e1x * e2y - e1y * e2x;
    const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
    float normal[3] = {0.0f, 0.0f, 0.0f};
    // A degenerate triangle has no direction; zeros are what mesh tools expect for "recompute me".
    if (length > 0.0f && std::isfinite(length)) {
        normal[0] = nx / length;
        normal[1] = ny / length;
        normal[2] = nz / length;
    }
    for (int k = 0; k < 3; ++k) PutFloat(out + 4 * k, normal[k]);
    for (int v = 0; v < 3; ++v) {
        PutFloat(out + 12 + 12 * v, t.p[v].x);
        PutFloat(out + 16 + 12 * v, t.p[v].y);
        PutFloat(out + 20 + 12 * v, t.p[v].z);
    }
    out[48] = static_cast<unsigned char>(StlAttribute & 0xFFu);
    out[49] = static_cast<unsigned char>((StlAttribute >> 8) & 0xFFu);
}

}  // namespace

void ExportStl(const ModelState& m, const std::string& fileName, int axisMode) {
    // The index and the list can disagree (a stale index after the list was emptied): never read past the list.
    const std::size_t available = m.Triangles.size();
    const std::size_t wanted = m.TriangleLast < 0 ? 0 : static_cast<std::size_t>(m.TriangleLast) + 1;
    const std::size_t count = std::min({available, wanted, static_cast<std::size_t>(UINT32_MAX)});
    // Refused before the file is touched: an empty list (readers reject a file without facets) and any
    // coordinate that is not a finite number.
    if (count == 0) {
        for (int32_t k = 0; k < 6; ++k) {
            if (PatchWritten(m, k)) CheckSomethingLeft(m);  // a model was built, and its cut kept nothing
        }
        throw ExportError("There is no triangle model to export: build a body or a wing in 3D mode first. "
                          "No file was written.");
    }
    for (std::size_t k = 0; k < count; ++k) {
        for (const Point3f& p : m.Triangles[k].p) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                throw ExportError("The model holds a point that is not a finite number; no triangle file can be "
                                  "written from it. No file was written.");
            }
        }
    }

    unsigned char head[84];
    std::memset(head, ' ', 80);
    std::memcpy(head, StlHeaderText.data(), std::min<std::size_t>(StlHeaderText.size(), 80));
    PutU32(head + 80, static_cast<uint32_t>(count));

    OutputFile file(fileName);
    file.Write(head, sizeof head);

    constexpr std::size_t kChunk = 8192;  // triangles per write
    std::vector<unsigned char> buffer(std::min(count, kChunk) * 50);
    for (std::size_t first = 0; first < count; first += kChunk) {
        const std::size_t n = std::min(kChunk, count - first);
        for (std::size_t i = 0; i < n; ++i) {
            T3p t = m.Triangles[first + i];
            RotateTriangleAxes(t, axisMode);
            PutTriangle(buffer.data() + 50 * i, t);
        }
        file.Write(buffer.data(), 50 * n);
    }
    file.Close();
}

}  // namespace korvel
