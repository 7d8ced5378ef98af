#pragma once
// 4 × 4 float matrices for row vectors (a point is p·M), left-handed, computed in float as the
// device's utility library does, so that drawing lands on the same pixels.

#include <array>

namespace vl {

using RMatrix = std::array<float, 16>; // row by row

RMatrix MatrixIdentity();
// a then b: p·(a·b) = (p·a)·b.
RMatrix MatrixMultiply(const RMatrix& a, const RMatrix& b);
RMatrix MatrixTranslation(float x, float y, float z);
RMatrix MatrixScaling(float x, float y, float z);
RMatrix MatrixRotationZ(float radians);
// View from eye towards at with the up direction.
RMatrix MatrixLookAtLH(const std::array<float, 3>& eye, const std::array<float, 3>& at,
                       const std::array<float, 3>& up);
RMatrix MatrixOrthoLH(float w, float h, float zn, float zf);
RMatrix MatrixPerspectiveLH(float w, float h, float zn, float zf);

} // namespace vl
