#include "graphics/Graphics_Matrix.h"

#include <cmath>

namespace vl {

namespace {

using RVector = std::array<float, 3>;

RVector Normalize(const RVector& v) {
  const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0f) return v;
  return {v[0] / length, v[1] / length, v[2] / length};
}

RVector Cross(const RVector& a, const RVector& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

float Dot(const RVector& a, const RVector& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

} // namespace

RMatrix MatrixIdentity() {
  return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

RMatrix MatrixMultiply(const RMatrix& a, const RMatrix& b) {
  RMatrix m{};
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[size_t(row * 4 + k)] * b[size_t(k * 4 + col)];
      m[size_t(row * 4 + col)] = sum;
    }
  return m;
}

RMatrix MatrixTranslation(float x, float y, float z) {
  return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
}

RMatrix MatrixScaling(float x, float y, float z) {
  return {x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1};
}

RMatrix MatrixRotationZ(float radians) {
  const float c = std::cos(radians), s = std::sin(radians);
  return {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

RMatrix MatrixLookAtLH(const RVector& eye, const RVector& at, const RVector& up) {
  const RVector z = Normalize({at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]});
  const RVector x = Normalize(Cross(up, z));
  const RVector y = Cross(z, x);
  return {x[0], y[0], z[0], 0, x[1],         y[1],         z[1],         0,
          x[2], y[2], z[2], 0, -Dot(x, eye), -Dot(y, eye), -Dot(z, eye), 1};
}

RMatrix MatrixOrthoLH(float w, float h, float zn, float zf) {
  return {2 / w, 0, 0, 0, 0, 2 / h, 0, 0, 0, 0, 1 / (zf - zn), 0, 0, 0, zn / (zn - zf), 1};
}

RMatrix MatrixPerspectiveLH(float w, float h, float zn, float zf) {
  return {2 * zn / w, 0, 0, 0, 0, 2 * zn / h, 0, 0, 0, 0, zf / (zf - zn), 1, 0, 0, zn * zf / (zn - zf), 0};
}

} // namespace vl
