// triangulator.cpp — ear clipping for the caps of cut sections: single-precision predicates, relinking only.
#include "triangulator.h"

#include <cstddef>
#include <vector>

namespace korvel {

namespace {

inline std::size_t At(int32_t k) { return static_cast<std::size_t>(k); }

// The two products whose difference is twice the signed area of (a, b, c), each rounded to single.
// Area2 > 0 exactly when the second is larger.
struct AreaProducts {
    float p1;
    float p2;
};

inline AreaProducts Products(const vertex& a, const vertex& b, const vertex& c) {
    const float p1 = (b.y - a.y) * (c.x - a.x);
    const float p2 = (c.y - a.y) * (b.x - a.x);
    return {p1, p2};
}

inline bool InRange(float lo, float hi, float v) {
    return (lo <= v && v <= hi) || (hi <= v && v <= lo);
}

}  // namespace

bool IsLeft(const vertex& a, const vertex& b, const vertex& c) {
    const AreaProducts p = Products(a, b, c);
    return p.p1 < p.p2;
}

bool IsLeftOn(const vertex& a, const vertex& b, const vertex& c) {
    const AreaProducts p = Products(a, b, c);
    return p.p1 <= p.p2;
}

bool IsCollinear(const vertex& a, const vertex& b, const vertex& c) {
    const AreaProducts p = Products(a, b, c);
    return p.p1 == p.p2;
}

bool SegmentsCrossProperly(const vertex& a, const vertex& b, const vertex& c, const vertex& d) {
    if (IsCollinear(a, b, c) || IsCollinear(a, b, d) || IsCollinear(c, d, a) || IsCollinear(c, d, b)) {
        return false;
    }
    return (IsLeft(a, b, c) != IsLeft(a, b, d)) && (IsLeft(c, d, a) != IsLeft(c, d, b));
}

bool IsBetween(const vertex& a, const vertex& b, const vertex& c) {
    if (!IsCollinear(a, b, c)) return false;
    if (a.x != b.x) return InRange(a.x, b.x, c.x);
    return InRange(a.y, b.y, c.y);
}

bool SegmentsIntersect(const vertex& a, const vertex& b, const vertex& c, const vertex& d) {
    return SegmentsCrossProperly(a, b, c, d) || IsBetween(a, b, c) || IsBetween(a, b, d) || IsBetween(c, d, a) ||
           IsBetween(c, d, b);
}

bool IsInCone(const arrayOfVertex& verts, int32_t a, int32_t b) {
    const vertex& va = verts[At(a)];
    const vertex& vb = verts[At(b)];
    const vertex& a0 = verts[At(va.prev)];
    const vertex& a1 = verts[At(va.next)];
    if (IsLeftOn(va, a1, a0)) return IsLeft(va, vb, a0) && IsLeft(vb, va, a1);  // convex corner
    return !(IsLeftOn(va, vb, a1) && IsLeftOn(vb, va, a0));                     // reflex corner
}

namespace {

// The coordinate range test of IsBetween, without its collinearity test.
inline bool WithinSpan(const vertex& a, const vertex& b, const vertex& c) {
    if (a.x != b.x) return InRange(a.x, b.x, c.x);
    return InRange(a.y, b.y, c.y);
}

// -1, 0 or +1: the side of c relative to a -> b, by the same single-precision products as IsLeft.
inline int Orientation(const vertex& a, const vertex& b, const vertex& c) {
    const AreaProducts p = Products(a, b, c);
    return p.p1 < p.p2 ? 1 : (p.p1 == p.p2 ? 0 : -1);
}

// A candidate diagonal during the clearance walk: its two ends (copied, so the walk reads them from
// registers), the differences every side test against it shares (the same single-precision values the
// predicates compute), and whether it is still clear.
struct Chord {
    vertex a;
    vertex b;
    float dx;
    float dy;
    bool clear;

    Chord(const vertex& va, const vertex& vb) : a(va), b(vb), dx(vb.x - va.x), dy(vb.y - va.y), clear(true) {}

    int Side(const vertex& c) const {
        const float p1 = dy * (c.x - a.x);
        const float p2 = (c.y - a.y) * dx;
        return p1 < p2 ? 1 : (p1 == p2 ? 0 : -1);
    }

    // SegmentsIntersect(a, b, c, d) given the sides of c and d: the same answer, with the sides relative
    // to c -> d worked out only when the cheap tests leave it open.
    bool Hits(const vertex& c, const vertex& d, int oc, int od) const {
        const bool nearA = WithinSpan(c, d, a);
        const bool nearB = WithinSpan(c, d, b);
        if (oc == od && oc != 0) {
            // Both strictly on one side: only an end of the chord lying on c-d can touch it.
            return (nearA && Orientation(c, d, a) == 0) || (nearB && Orientation(c, d, b) == 0);
        }
        if (oc == 0 && WithinSpan(a, b, c)) return true;
        if (od == 0 && WithinSpan(a, b, d)) return true;
        const bool straddles = (oc > 0 && od < 0) || (oc < 0 && od > 0);
        if (!straddles && !nearA && !nearB) return false;
        const int oa = Orientation(c, d, a);
        const int ob = Orientation(c, d, b);
        if (straddles && ((oa > 0 && ob < 0) || (oa < 0 && ob > 0))) return true;
        return (oa == 0 && nearA) || (ob == 0 && nearB);
    }
};

// One walk round the remaining polygon from start for K chords at once: an edge that touches neither end
// of a chord and meets it makes that chord not clear. The order of the walk cannot change the answer.
template <int K>
void ClearanceWalk(const arrayOfVertex& verts, int32_t start, Chord* chords) {
    int32_t c = start;
    int side[K];
    for (int k = 0; k < K; ++k) side[k] = chords[k].Side(verts[At(c)]);
    do {
        const vertex& vc = verts[At(c)];
        const int32_t c1 = vc.next;
        const vertex& vc1 = verts[At(c1)];
        bool open = false;
        for (int k = 0; k < K; ++k) {
            Chord& h = chords[k];
            const int s1 = h.Side(vc1);
            if (h.clear) {
                const bool touches = c == h.a.id || c1 == h.a.id || c == h.b.id || c1 == h.b.id;
                if (!touches && h.Hits(vc, vc1, side[k], s1)) h.clear = false;
                open = open || h.clear;
            }
            side[k] = s1;
        }
        if (!open) return;
        c = c1;
    } while (c != start);
}

bool InBothCones(const arrayOfVertex& verts, int32_t a, int32_t b) {
    return IsInCone(verts, a, b) && IsInCone(verts, b, a);
}

}  // namespace

bool IsDiagonal(const arrayOfVertex& verts, int32_t a, int32_t b, int32_t start) {
    if (!InBothCones(verts, a, b)) return false;
    Chord chord(verts[At(a)], verts[At(b)]);
    ClearanceWalk<1>(verts, start, &chord);
    return chord.clear;
}

void InitEars(arrayOfVertex& verts, int32_t last) {
    for (int32_t v = last; v >= 0; --v) {
        verts[At(v)].ear = IsDiagonal(verts, verts[At(v)].prev, verts[At(v)].next, 0);
    }
}

int32_t FindStartVertex(const arrayOfVertex& verts, int32_t last) {
    float xmin = verts[0].x, xmax = xmin, ymin = verts[0].y, ymax = ymin;
    for (int32_t k = 1; k <= last; ++k) {
        const vertex& v = verts[At(k)];
        if (v.x < xmin) xmin = v.x;
        if (v.x > xmax) xmax = v.x;
        if (v.y < ymin) ymin = v.y;
        if (v.y > ymax) ymax = v.y;
    }
    // A flat outline starts at its left end, any other at its lowest corner.
    const bool byX = (ymax - ymin) < (xmax - xmin);
    const auto key = [byX](const vertex& v) { return byX ? v.x : v.y; };
    int32_t start = 0;
    float best = key(verts[0]);
    for (int32_t k = last; k >= 0; --k) {
        const float value = key(verts[At(k)]);
        if (value < best) {
            best = value;
            start = k;
        }
    }
    return start;
}

void TriangulatePolygon(arrayOfVertex& verts, int32_t n, int32_t& count, arrayOfLongInt& I1, arrayOfLongInt& I2,
                        arrayOfLongInt& I3) {
    count = 0;
    if (n < 3) return;
    // The ear flags of the whole outline are what InitEars gives; they are worked out on a copy of the
    // untouched outline when the scan first reaches a corner, since most corners are clipped or updated
    // before it ever does.
    const arrayOfVertex outline(verts.begin(), verts.begin() + n);
    std::vector<bool> known(At(n), false);
    const auto isEar = [&](int32_t v) {
        if (!known[At(v)]) {
            verts[At(v)].ear = IsDiagonal(outline, outline[At(v)].prev, outline[At(v)].next, 0);
            known[At(v)] = true;
        }
        return verts[At(v)].ear;
    };
    int32_t start = FindStartVertex(verts, n - 1);
    for (int32_t pass = n - 4; pass >= 0; --pass) {
        int32_t v = start;
        int32_t fallback = -1;
        do {
            if (isEar(v)) break;
            if (fallback < 0 && IsLeftOn(verts[At(verts[At(v)].prev)], verts[At(v)], verts[At(verts[At(v)].next)])) {
                fallback = v;
            }
            v = verts[At(v)].next;
        } while (v != start);
        // Rounding can leave an outline that is simple in fact without a single ear (slivers a few units
        // in the last place wide). Rather than leave a hole in the cap, clip the first corner that does not
        // turn clockwise, or the start: every corner is still used once, so the cap stays closed.
        if (!verts[At(v)].ear) v = fallback >= 0 ? fallback : start;
        const int32_t nx = verts[At(v)].next;
        const int32_t pv = verts[At(v)].prev;
        const int32_t nn = verts[At(nx)].next;
        const int32_t pp = verts[At(pv)].prev;
        I1[At(count)] = pv;
        I2[At(count)] = v;
        I3[At(count)] = nx;
        verts[At(pv)].next = nx;
        verts[At(nx)].prev = pv;
        // Alternating the side the next pass starts from keeps the fan from growing on one corner.
        start = (pass % 2 == 0) ? nx : pv;
        ++count;
        // Both neighbours' ear flags (IsDiagonal of pp-nx and of pv-nn) from one walk.
        Chord chords[2] = {Chord(verts[At(pp)], verts[At(nx)]), Chord(verts[At(pv)], verts[At(nn)])};
        chords[0].clear = InBothCones(verts, pp, nx);
        chords[1].clear = InBothCones(verts, pv, nn);
        if (chords[0].clear && chords[1].clear) {
            ClearanceWalk<2>(verts, start, chords);
        } else if (chords[0].clear || chords[1].clear) {
            ClearanceWalk<1>(verts, start, chords[0].clear ? &chords[0] : &chords[1]);
        }
        verts[At(pv)].ear = chords[0].clear;
        verts[At(nx)].ear = chords[1].clear;
        known[At(pv)] = known[At(nx)] = true;
    }
    I1[At(count)] = verts[At(start)].prev;
    I2[At(count)] = start;
    I3[At(count)] = verts[At(start)].next;
    ++count;
}

}  // namespace korvel
