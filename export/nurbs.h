// nurbs.h — bicubic B-spline surface through a rectangular point grid with prescribed edge derivatives.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "cubic_spline.h"
#include "engine/model.h"

namespace korvel {

// A tensor-product fit: every u-line of the data is interpolated first, then every column of that
// intermediate net along v. Data Q[i][j] has i = 0..NU along u and j = 0..NV along v; the control net
// P has two more entries in each direction. All weights are 1.
//
// Use: set Degree, NU, NV; SetSize; fill QX/QY/QZ; ParamsU (the u parameters of the whole grid); then per
// patch FreeArrays, set NV, SetSize, fill Q, Interpolate. The u parameters and knots survive FreeArrays,
// so every patch fitted after one ParamsU shares the same U knots; FreeKnots discards them.
class TNurbs {
public:
    TNurbs();
    virtual ~TNurbs();

    // Empties every array except UParams, UKnots and ChordScratch.
    void FreeArrays();
    // Empties UKnots and UParams.
    void FreeKnots();
    // Sizes every array except ChordScratch from Degree, NU and NV; arrays keep the content that fits.
    void SetSize();
    // UParams averaged over the u-lines, then KnotsU.
    void ParamsU();
    // Fills x, y and z with the points of row i (j = 0..NV) of a net.
    using NetRow = std::function<void(int32_t i, array1Df& x, array1Df& y, array1Df& z)>;
    // ParamsU of the net of rows 0..NU that row gives, without loading it into Q (only Degree, NU and NV
    // need to be set): the u parameters of a whole grid that its patches then share.
    void ParamsUOfRows(const NetRow& row);
    // LengthAlongU, LengthAlongV and VParams averaged over the v-lines.
    void ParamsV();
    void KnotsU();
    void KnotsV();
    // The whole surface fit; ParamsU must have run. The edge tables are indexed [0 or 1][column + Offset],
    // the cross tables [2 Patch or 2 Patch + 1][data row + 1]; the value 2.0 is free. Tables too small for
    // the data, fewer than two points in a direction, or a missing ParamsU throw ExportError.
    void Interpolate(const array2Df& EdgeX, const array2Df& EdgeY, const array2Df& EdgeZ, const array2Df& CurveX,
                     const array2Df& CurveY, const array2Df& CurveZ, int32_t Offset, int32_t Patch);

    array1Df Left, Right;
    array1Df ChordScratch;
    array1Df LengthAlongU;  // NV+1: polygon length of each u-line
    array1Df LengthAlongV;  // NU+1: polygon length of each v-line
    array1Df UParams, VParams;
    array1Df Basis;
    array2Df TempX, TempY, TempZ;  // [NU+3][NV+3]
    array1Df UKnots, VKnots;
    array2Df QX, QY, QZ;  // [NU+1][NV+1]
    array2Df PX, PY, PZ;  // [NU+3][NV+3]
    int32_t Degree = 0;
    int32_t NU = 0;
    int32_t NV = 0;

private:
    // Throws unless every array is sized for the present NU and NV (SetSize ran after they were set).
    void RequireSized() const;
    // Interpolates every u-line l into column l of the intermediate net, end derivatives d0[l] and dn[l]
    // already scaled.
    void SolveRowsU(const std::vector<Vec3d>& d0, const std::vector<Vec3d>& dn);
    // The elimination steps of the lines being solved.
    CubicLineSteps steps_;
};

}  // namespace korvel
