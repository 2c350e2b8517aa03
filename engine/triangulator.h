// triangulator.h — ear-clipping triangulation of a simple counter-clockwise polygon, in single precision.
#pragma once

#include <cstdint>
#include <vector>

namespace korvel {

// One polygon corner. The records never move; clipping only relinks next and prev.
struct vertex {
    float x = 0.0f;
    float y = 0.0f;
    bool ear = false;   // the segment prev -> next is a diagonal of the remaining polygon
    int32_t next = 0;
    int32_t prev = 0;
    int32_t id = 0;     // the corner's own index
};

using arrayOfVertex = std::vector<vertex>;
using arrayOfLongInt = std::vector<int32_t>;

// Every predicate compares the two single-precision products of the signed area directly, with no
// tolerance: a point exactly on a line is on it, however the rounding fell.
bool IsLeft(const vertex& a, const vertex& b, const vertex& c);       // c strictly left of a -> b
bool IsLeftOn(const vertex& a, const vertex& b, const vertex& c);     // left or on the line
bool IsInCone(const arrayOfVertex& verts, int32_t a, int32_t b);
// Whether a-b is a diagonal of the remaining polygon: inside both corners' cones and crossing or touching
// no edge, found by a plain walk round the links from start.
bool IsDiagonal(const arrayOfVertex& verts, int32_t a, int32_t b, int32_t start);
int32_t FindStartVertex(const arrayOfVertex& verts, int32_t last);

// Triangulates corners 0..n-1 (n >= 3), linked by next/prev, simple and counter-clockwise. Triangle k
// is (I1[k], I2[k], I3[k]) = (previous corner, ear corner, next corner), with the polygon's orientation.
// The index arrays must hold n - 2 entries. count ends at n - 2 for a finite outline: when a pass finds no
// ear (rounding in slivers, or an outline that is not simple or not counter-clockwise) it clips the first
// corner that does not turn clockwise, so every outline edge still belongs to exactly one triangle. An
// outline with a corner that is not finite yields no triangle (count 0).
void TriangulatePolygon(arrayOfVertex& verts, int32_t n, int32_t& count, arrayOfLongInt& I1, arrayOfLongInt& I2,
                        arrayOfLongInt& I3);

}  // namespace korvel
