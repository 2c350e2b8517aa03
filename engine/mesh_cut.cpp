// mesh_cut.cpp — cutting the triangle list by an axis plane: per-triangle clipping and the cut outline.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "mesh_internal.h"

namespace korvel {

namespace {

inline float Coord(const Point3f& p, int axis) { return axis == 0 ? p.x : (axis == 1 ? p.y : p.z); }
inline void SetCoord(Point3f& p, int axis, float value) {
    if (axis == 0) {
        p.x = value;
    } else if (axis == 1) {
        p.y = value;
    } else {
        p.z = value;
    }
}

// Two triangles meet the plane on their shared edge from opposite directions; working from the low end
// of the edge in both makes the two crossing points the same to the last bit, so the pieces and the cap
// still share their edges exactly.
inline FramePoint Crossing(const FramePoint& A, const FramePoint& B, float c) {
    return A.a < B.a ? LerpAtCoordinate(A, B, c) : LerpAtCoordinate(B, A, c);
}

inline bool SamePoint(const FramePoint& a, const FramePoint& b) { return a.a == b.a && a.u == b.u && a.v == b.v; }

// The start points of the outline segments found so far: a segment whose start is known already is not
// recorded twice, and no pass over all of them is needed per segment. Keys are the bit patterns of (u, v)
// with -0 taken as +0, so that two keys match exactly when the coordinates compare equal; a point with a
// NaN never matches, so it is never stored.
class SegmentStarts {
public:
    explicit SegmentStarts(std::size_t expected) {
        std::size_t size = 64;
        while (size < 2 * expected) size *= 2;
        slots_.assign(size, kEmpty);
    }

    // Records (u, v); returns false when it was there already.
    bool Insert(float u, float v) {
        if (std::isnan(u) || std::isnan(v)) return true;
        const uint64_t key = (static_cast<uint64_t>(Bits(u)) << 32) | Bits(v);
        for (std::size_t i = Hash(key);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == key) return false;
            if (slots_[i] == kEmpty) {
                slots_[i] = key;
                if (2 * ++used_ > slots_.size()) Grow();
                return true;
            }
        }
    }

private:
    static constexpr uint64_t kEmpty = ~uint64_t{0};  // a NaN pair, never a key

    static uint32_t Bits(float f) {
        if (f == 0.0f) f = 0.0f;
        uint32_t b = 0;
        std::memcpy(&b, &f, sizeof b);
        return b;
    }

    std::size_t Hash(uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 20) & (slots_.size() - 1);
    }

    void Grow() {
        std::vector<uint64_t> old(slots_.size() * 2, kEmpty);
        old.swap(slots_);
        for (const uint64_t key : old) {
            if (key == kEmpty) continue;
            std::size_t i = Hash(key);
            while (slots_[i] != kEmpty) i = (i + 1) & (slots_.size() - 1);
            slots_[i] = key;
        }
    }

    std::vector<uint64_t> slots_;
    std::size_t used_ = 0;
};

}  // namespace

FramePoint LerpAtCoordinate(const FramePoint& A, const FramePoint& B, float c) {
    const float t = (c - A.a) / (B.a - A.a);
    return FramePoint{c, A.u + (B.u - A.u) * t, A.v + (B.v - A.v) * t};
}

ClipResult ClipTriangleSide(std::array<FramePoint, 5>& pts, bool keep, float c, int p, int q, int r) {
    const FramePoint& P = pts[At(p)];
    const FramePoint& Q = pts[At(q)];
    const FramePoint& R = pts[At(r)];
    pts[3] = Crossing(P, Q, c);
    const bool pLow = P.a < c;
    const bool rOnPSide = pLow ? R.a < c : R.a > c;
    if (R.a == c) {
        pts[4] = R;
    } else if (rOnPSide) {
        pts[4] = Crossing(Q, R, c);
    } else {
        pts[4] = Crossing(P, R, c);
    }
    const bool pKept = keep ? pLow : !pLow;
    const bool rStrictlyKept = keep ? R.a < c : R.a > c;
    ClipResult out;
    out.segment = true;
    if (pKept) {
        out.pieces = 1;
        out.piece[0] = {p, 3, 4};
        if (rStrictlyKept) {
            out.pieces = 2;
            out.piece[1] = {p, 4, r};
        }
    } else {
        out.pieces = 1;
        out.piece[0] = {q, 4, 3};
        if (rStrictlyKept) {
            out.pieces = 2;
            out.piece[1] = {q, r, 4};
        }
    }
    return out;
}

ClipResult ClipTriangleByPlane(std::array<FramePoint, 5>& p, bool keep, float c) {
    const float a0 = p[0].a, a1 = p[1].a, a2 = p[2].a;
    const auto kept = [keep, c](float a) { return keep ? a <= c : a >= c; };
    ClipResult out;
    const auto whole = [&out](int i, int j, int k, bool segment) {
        out.pieces = 1;
        out.piece[0] = {i, j, k};
        out.segment = segment;
        return out;
    };
    // An edge lying in the plane is part of the outline when the triangle is kept.
    if (a0 == c && a1 == c && kept(a2)) return whole(2, 0, 1, true);
    if (a0 == c && a2 == c && kept(a1)) return whole(1, 2, 0, true);
    if (a1 == c && a2 == c && kept(a0)) return whole(0, 1, 2, true);
    if (kept(a0) && kept(a1) && kept(a2)) return whole(0, 1, 2, false);
    if (a0 < c && c < a1) return ClipTriangleSide(p, keep, c, 0, 1, 2);
    if (a1 < c && c < a2) return ClipTriangleSide(p, keep, c, 1, 2, 0);
    if (a2 < c && c < a0) return ClipTriangleSide(p, keep, c, 2, 0, 1);
    if (a0 > c && c > a1) return ClipTriangleSide(p, keep, c, 0, 1, 2);
    if (a1 > c && c > a2) return ClipTriangleSide(p, keep, c, 1, 2, 0);
    if (a2 > c && c > a0) return ClipTriangleSide(p, keep, c, 2, 0, 1);
    return out;  // wholly on the discarded side
}

void CutMeshByPlane(ModelState& m, bool keep, int32_t& count, int cutAxis, int uAxis, int vAxis, float value) {
    if (m.TriangleLast < 0) return;
    count = -1;
    int32_t segments = 0;
    // The capacities are hints: a cut may split more triangles or find more outline than they allow.
    m.CutSegments.clear();
    m.CutSegments.reserve(At(m.TriangleLast / 2) + 1);
    m.CutSegments.emplace_back();  // entry 0 unused
    m.TempTriangles.clear();
    m.TempTriangles.reserve(At(m.TriangleLast + m.TriangleLast / 2) + 1);

    SegmentStarts starts(At(m.TriangleLast / 64) + 1);
    std::array<FramePoint, 5> pts;
    const auto back = [&](const std::array<int, 3>& idx) {
        T3p t;
        for (std::size_t k = 0; k < 3; ++k) {
            const FramePoint& f = pts[At(idx[k])];
            SetCoord(t.p[k], cutAxis, f.a);
            SetCoord(t.p[k], uAxis, f.u);
            SetCoord(t.p[k], vAxis, f.v);
        }
        return t;
    };
    const auto degenerate = [&pts](const std::array<int, 3>& idx) {
        const FramePoint& a = pts[At(idx[0])];
        const FramePoint& b = pts[At(idx[1])];
        const FramePoint& c = pts[At(idx[2])];
        return SamePoint(a, b) || SamePoint(a, c) || SamePoint(b, c);
    };
    const auto samePoint = [](const Point3f& a, const Point3f& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    for (int32_t k = m.TriangleLast; k >= 0; --k) {
        const T3p& t = m.Triangles[At(k)];
        // Most triangles lie wholly on one side, strictly: dropped, or kept as they are (the split below
        // would hand back the same three points and no outline).
        const float a0 = Coord(t.p[0], cutAxis), a1 = Coord(t.p[1], cutAxis), a2 = Coord(t.p[2], cutAxis);
        if (keep ? (a0 > value && a1 > value && a2 > value) : (a0 < value && a1 < value && a2 < value)) continue;
        if (keep ? (a0 < value && a1 < value && a2 < value) : (a0 > value && a1 > value && a2 > value)) {
            if (!(samePoint(t.p[0], t.p[1]) || samePoint(t.p[0], t.p[2]) || samePoint(t.p[1], t.p[2]))) {
                ++count;
                m.TempTriangles.push_back(t);
            }
            continue;
        }
        for (std::size_t i = 0; i < 3; ++i) {
            pts[i] = FramePoint{Coord(t.p[i], cutAxis), Coord(t.p[i], uAxis), Coord(t.p[i], vAxis)};
        }
        const ClipResult r = ClipTriangleByPlane(pts, keep, value);
        if (r.pieces >= 1 && !degenerate(r.piece[0])) {
            ++count;
            m.TempTriangles.push_back(back(r.piece[0]));
            if (r.segment) {
                const FramePoint& s = pts[At(r.piece[0][1])];
                const FramePoint& e = pts[At(r.piece[0][2])];
                if (starts.Insert(s.u, s.v)) {
                    ++segments;
                    m.CutSegments.push_back(CutSegment{{s.u, s.v}, {e.u, e.v}});
                }
            }
        }
        if (r.pieces == 2 && !degenerate(r.piece[1])) {
            ++count;
            m.TempTriangles.push_back(back(r.piece[1]));
        }
    }
    CapSection(m, keep, count, cutAxis, segments, static_cast<double>(value));
    m.CutSegments.clear();
}

}  // namespace korvel
