// triangulator.cpp — ear clipping for the caps of cut sections: single-precision predicates, relinking only.
#include "triangulator.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "checked_int.h"

namespace korvel {

namespace {

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

bool IsInCone(const arrayOfVertex& verts, int32_t a, int32_t b) {
    const vertex& va = verts[At(a)];
    const vertex& vb = verts[At(b)];
    const vertex& a0 = verts[At(va.prev)];
    const vertex& a1 = verts[At(va.next)];
    if (IsLeftOn(va, a1, a0)) return IsLeft(va, vb, a0) && IsLeft(vb, va, a1);  // convex corner
    return !(IsLeftOn(va, vb, a1) && IsLeftOn(vb, va, a0));                     // reflex corner
}

namespace {

// Whether c lies within the span of the segment a-b: its x range, or its y range when a-b is vertical.
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

    // Whether the chord and the segment c-d cross or touch (an end of one on the other counts), given the
    // sides of c and d; the sides relative to c -> d are worked out only when the cheap tests leave it open.
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
void ClearanceWalk(const arrayOfVertex& verts, int32_t start, Chord* chords,
                   int32_t limit = std::numeric_limits<int32_t>::max()) {
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
        if (!open || --limit == 0) return;
        c = c1;
    } while (c != start);
}

bool InBothCones(const arrayOfVertex& verts, int32_t a, int32_t b) {
    return IsInCone(verts, a, b) && IsInCone(verts, b, a);
}

// The edges of a ring held in flat arrays, in ring order and in blocks of kBlock rows, each block with
// a box round both ends of all its edges. A clearance check leaves out a whole block when the box lies
// beyond doubt strictly on one side of the chord (the single-precision products cannot err by more than
// a few units in the last place, so a margin of eight covers them) and no chord end can lie within the
// span of an edge under it: then every edge there has both ends strictly on one side and no chord end
// within its span, the case where Hits is false by its first test. Other blocks go through the same test edge by
// edge without branches, and only the edges left over (or touching the chord) meet Hits itself, so the
// verdict is the walk's. Clipped edges become NaN rows, which never pass that test.
class EdgeTable {
public:
    // Returns false when the links from corner 0 do not form one consistent ring over all n corners.
    bool Build(const arrayOfVertex& verts, int32_t n) {
        row_.assign(At(n), 0);
        const std::size_t rows = (At(n) + kBlock - 1) / kBlock * kBlock;
        x0_.assign(rows, kNaN);
        y0_.assign(rows, kNaN);
        x1_.assign(rows, kNaN);
        y1_.assign(rows, kNaN);
        i0_.assign(rows, -1);
        i1_.assign(rows, -1);
        const std::size_t blocks = rows / kBlock;
        box_.assign(blocks, Box{});
        live_.assign(blocks, 0);
        group_.assign((blocks + kGroup - 1) / kGroup, Box{});
        std::size_t used = 0;
        int32_t c = 0;
        do {
            const int32_t c1 = verts[At(c)].next;
            if (c1 < 0 || c1 >= n || verts[At(c1)].prev != c || used == At(n)) return false;
            x0_[used] = verts[At(c)].x;
            y0_[used] = verts[At(c)].y;
            x1_[used] = verts[At(c1)].x;
            y1_[used] = verts[At(c1)].y;
            i0_[used] = c;
            i1_[used] = c1;
            row_[At(c)] = used;
            for (Box* box : {&box_[used / kBlock], &group_[used / kBlock / kGroup]}) {
                box->Add(verts[At(c)]);
                box->Add(verts[At(c1)]);
            }
            ++live_[used / kBlock];
            ++used;
            c = c1;
        } while (c != 0);
        for (std::size_t block = 0; block < blocks; ++block) Refresh(block);
        return used == At(n);
    }

    // Corner v is clipped: the edge pv -> v becomes pv -> nx and the edge v -> nx goes.
    void Clip(const arrayOfVertex& verts, int32_t pv, int32_t v, int32_t nx) {
        const std::size_t r = row_[At(pv)];
        x1_[r] = verts[At(nx)].x;
        y1_[r] = verts[At(nx)].y;
        i1_[r] = nx;
        // Boxes only grow: they stay round every edge under them.
        box_[r / kBlock].Add(verts[At(nx)]);
        group_[r / kBlock / kGroup].Add(verts[At(nx)]);
        const std::size_t gone = row_[At(v)];
        x0_[gone] = y0_[gone] = x1_[gone] = y1_[gone] = kNaN;
        i0_[gone] = i1_[gone] = -1;
        --live_[gone / kBlock];
        Refresh(r / kBlock);
        if (gone / kBlock != r / kBlock) Refresh(gone / kBlock);
    }

    void Check(Chord& h) const {
        for (std::size_t block = 0; block < live_.size(); ++block) {
            if (block % kGroup == 0 && Beside(h, group_[block / kGroup])) {
                block += kGroup - 1;
                continue;
            }
            if (live_[block] == 0 || Beside(h, box_[block])) continue;
            const std::size_t base = block * kBlock;
            if (!AnyCandidate(h, base)) continue;
            for (std::size_t i = base; i < base + kBlock; ++i) {
                if (!Candidate(h, i)) continue;
                vertex c, d;
                c.x = x0_[i];
                c.y = y0_[i];
                d.x = x1_[i];
                d.y = y1_[i];
                if (h.Hits(c, d, h.Side(c), h.Side(d))) {
                    h.clear = false;
                    return;
                }
            }
        }
    }

private:
    static constexpr std::size_t kBlock = 16;
    static constexpr std::size_t kGroup = 8;  // blocks under one further box
    static constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

    struct Box {
        float xlo = std::numeric_limits<float>::infinity();
        float xhi = -std::numeric_limits<float>::infinity();
        float ylo = std::numeric_limits<float>::infinity();
        float yhi = -std::numeric_limits<float>::infinity();
        bool finite = true;
        bool vertical = false;  // some edge under the box has both ends at one x

        void Add(const vertex& p) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) finite = false;
            xlo = std::fmin(xlo, p.x);
            xhi = std::fmax(xhi, p.x);
            ylo = std::fmin(ylo, p.y);
            yhi = std::fmax(yhi, p.y);
        }
    };

    // Whether an edge of the block, or of any block in its group, has both ends at one x.
    void Refresh(std::size_t block) {
        bool vertical = false;
        for (std::size_t i = block * kBlock; i < (block + 1) * kBlock; ++i) vertical = vertical || x0_[i] == x1_[i];
        box_[block].vertical = vertical;
        const std::size_t group = block / kGroup;
        bool any = false;
        for (std::size_t b = group * kGroup; b < (group + 1) * kGroup && b < box_.size(); ++b) {
            any = any || box_[b].vertical;
        }
        group_[group].vertical = any;
    }

    // Whether every point of the box is strictly on one side of the chord for the single-precision
    // products, and no chord end lies within the span of an edge under it: outside the box's x range,
    // and outside its y range too where an edge has both ends at one x (the span of such an edge is
    // its y range).
    static bool Beside(const Chord& h, const Box& box) {
        if (!box.finite) return false;
        for (const vertex* e : {&h.a, &h.b}) {
            if (box.xlo <= e->x && e->x <= box.xhi) return false;
            if (box.vertical && box.ylo <= e->y && e->y <= box.yhi) return false;
        }
        const double ax = h.a.x, ay = h.a.y, dx = h.dx, dy = h.dy;
        const double X0 = box.xlo - ax, X1 = box.xhi - ax, Y0 = box.ylo - ay, Y1 = box.yhi - ay;
        // The exact side value is linear, so its extremes over the box are at the corners.
        const double d00 = Y0 * dx - dy * X0, d01 = Y1 * dx - dy * X0;
        const double d10 = Y0 * dx - dy * X1, d11 = Y1 * dx - dy * X1;
        const double size = std::fabs(dy) * std::fmax(std::fabs(X0), std::fabs(X1)) +
                            std::fabs(dx) * std::fmax(std::fabs(Y0), std::fabs(Y1));
        const double span = std::fmax(std::fmax(std::fabs(X0), std::fabs(X1)), std::fmax(std::fabs(Y0), std::fabs(Y1)));
        if (!(size < 1e36 && span < 1e36)) return false;  // nothing may overflow in single precision
        const double margin = 8.0 * 0x1p-24 * size + 1e-37;  // rounding of the products, underflow
        const bool left = d00 > margin && d01 > margin && d10 > margin && d11 > margin;
        const bool right = d00 < -margin && d01 < -margin && d10 < -margin && d11 < -margin;
        return left || right;
    }

    static bool Within(float lo, float hi, float v) { return ((lo <= v) & (v <= hi)) | ((hi <= v) & (v <= lo)); }

    // The same single-precision products as Chord::Side; bitwise operators keep the sieve free of
    // branches, so that the compiler can run it on several edges at once. False means Hits is false by
    // its first test, or the edge touches the chord.
    static bool Sieve(const Chord& h, float cx, float cy, float dx, float dy, int32_t c, int32_t d) {
        const float pc1 = h.dy * (cx - h.a.x);
        const float pc2 = (cy - h.a.y) * h.dx;
        const float pd1 = h.dy * (dx - h.a.x);
        const float pd2 = (dy - h.a.y) * h.dx;
        const bool lc = pc1 < pc2, ec = pc1 == pc2, ld = pd1 < pd2, ed = pd1 == pd2;
        const bool oneSide = (lc & ld) | (!lc & !ec & !ld & !ed);
        const bool xs = cx != dx;
        const bool aInX = Within(cx, dx, h.a.x), aInY = Within(cy, dy, h.a.y);
        const bool bInX = Within(cx, dx, h.b.x), bInY = Within(cy, dy, h.b.y);
        const bool nearA = (xs & aInX) | (!xs & aInY);
        const bool nearB = (xs & bInX) | (!xs & bInY);
        const bool touches = (c == h.a.id) | (d == h.a.id) | (c == h.b.id) | (d == h.b.id);
        return !touches & !(oneSide & !nearA & !nearB);
    }

    bool Candidate(const Chord& h, std::size_t i) const {
        return Sieve(h, x0_[i], y0_[i], x1_[i], y1_[i], i0_[i], i1_[i]);
    }

    bool AnyCandidate(const Chord& h, std::size_t base) const {
        const Chord k = h;
        const float* x0 = x0_.data() + base;
        const float* y0 = y0_.data() + base;
        const float* x1 = x1_.data() + base;
        const float* y1 = y1_.data() + base;
        const int32_t* i0 = i0_.data() + base;
        const int32_t* i1 = i1_.data() + base;
        unsigned any = 0;
        for (std::size_t i = 0; i < kBlock; ++i) {
            any |= static_cast<unsigned>(Sieve(k, x0[i], y0[i], x1[i], y1[i], i0[i], i1[i]));
        }
        return any != 0;
    }

    std::vector<float> x0_, y0_, x1_, y1_;
    std::vector<int32_t> i0_, i1_;
    std::vector<std::size_t> row_;  // the row of the edge that starts at each corner
    std::vector<Box> box_;
    std::vector<Box> group_;
    std::vector<int32_t> live_;     // edges still in each block
};

}  // namespace

bool IsDiagonal(const arrayOfVertex& verts, int32_t a, int32_t b, int32_t start) {
    if (!InBothCones(verts, a, b)) return false;
    Chord chord(verts[At(a)], verts[At(b)]);
    ClearanceWalk<1>(verts, start, &chord);
    return chord.clear;
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

namespace {
constexpr int32_t kNearby = 24;  // edges looked at along the outline before the whole table
}  // namespace

void TriangulatePolygon(arrayOfVertex& verts, int32_t n, int32_t& count, arrayOfLongInt& I1, arrayOfLongInt& I2,
                        arrayOfLongInt& I3) {
    count = 0;
    if (n < 3) return;
    // No ear test can decide anything about a corner that is not a number: such an outline gets no cap.
    for (int32_t k = 0; k < n; ++k) {
        if (!std::isfinite(verts[At(k)].x) || !std::isfinite(verts[At(k)].y)) return;
    }
    // A corner's ear flag is whether prev-next is a diagonal of the untouched outline; it is worked out
    // on a copy of the outline when the scan first reaches the corner, since most corners are clipped or
    // updated before it ever does.
    const arrayOfVertex outline(verts.begin(), verts.begin() + n);
    std::vector<bool> known(At(n), false);
    // A well-formed ring is checked through edge tables; anything else walks its links.
    EdgeTable live;
    const bool tabled = live.Build(verts, n);
    const EdgeTable original = tabled ? live : EdgeTable();
    const auto outlineEar = [&](int32_t v) {
        const int32_t a = outline[At(v)].prev;
        const int32_t b = outline[At(v)].next;
        if (!tabled) return IsDiagonal(outline, a, b, 0);
        if (!InBothCones(outline, a, b)) return false;
        Chord chord(outline[At(a)], outline[At(b)]);
        original.Check(chord);
        return chord.clear;
    };
    const auto isEar = [&](int32_t v) {
        if (!known[At(v)]) {
            verts[At(v)].ear = outlineEar(v);
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
        if (tabled) live.Clip(verts, pv, v, nx);
        // Alternating the side the next pass starts from keeps the fan from growing on one corner.
        start = (pass % 2 == 0) ? nx : pv;
        ++count;
        // Both neighbours' ear flags (IsDiagonal of pp-nx and of pv-nn).
        Chord chords[2] = {Chord(verts[At(pp)], verts[At(nx)]), Chord(verts[At(pv)], verts[At(nn)])};
        chords[0].clear = InBothCones(verts, pp, nx);
        chords[1].clear = InBothCones(verts, pv, nn);
        if (tabled) {
            // What blocks a new diagonal is most often close by along the outline: look there first.
            if (chords[0].clear && chords[1].clear) {
                ClearanceWalk<2>(verts, start, chords, kNearby);
            } else if (chords[0].clear || chords[1].clear) {
                ClearanceWalk<1>(verts, start, chords[0].clear ? &chords[0] : &chords[1], kNearby);
            }
            for (Chord& h : chords) {
                if (h.clear) live.Check(h);
            }
        } else if (chords[0].clear && chords[1].clear) {
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
