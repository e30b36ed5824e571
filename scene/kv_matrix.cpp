#include "kv_matrix.h"

#include <cmath>

namespace Kvat {

void Matrix4::setZero() {
  for (double& e : m_adEntry) e = 0.0;
}

void Matrix4::setIdentity() {
  setZero();
  m_adEntry[0] = m_adEntry[5] = m_adEntry[10] = m_adEntry[15] = 1.0;
}

void Matrix4::set(double m00, double m01, double m02, double m03, double m10, double m11, double m12, double m13,
                  double m20, double m21, double m22, double m23, double m30, double m31, double m32, double m33) {
  const double v[16] = {m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33};
  for (int i = 0; i < 16; ++i) m_adEntry[i] = v[i];
}

void Matrix4::setTranslation(const Vector3& t) {
  setIdentity();
  m_adEntry[12] = t.x;
  m_adEntry[13] = t.y;
  m_adEntry[14] = t.z;
}

void Matrix4::setScaling(const Vector3& s) {
  setZero();
  m_adEntry[0] = s.x;
  m_adEntry[5] = s.y;
  m_adEntry[10] = s.z;
  m_adEntry[15] = 1.0;
}

void Matrix4::setRotationX(double a) {
  const double c = std::cos(a), s = std::sin(a);
  set(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
}

void Matrix4::setRotationY(double a) {
  const double c = std::cos(a), s = std::sin(a);
  set(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
}

void Matrix4::setRotationZ(double a) {
  const double c = std::cos(a), s = std::sin(a);
  set(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
}

void Matrix4::setHeadingPitchBank(double h, double p, double b) {
  const double ch = std::cos(h), sh = std::sin(h);
  const double cp = std::cos(p), sp = std::sin(p);
  const double cb = std::cos(b), sb = std::sin(b);
  set(sh * sp * sb + ch * cb, cp * sb, ch * sp * sb - sh * cb, 0, sh * sp * cb - ch * sb, cp * cb,
      ch * sp * cb + sh * sb, 0, sh * cp, -sp, ch * cp, 0, 0, 0, 0, 1);
}

Vector3 Matrix4::transformPoint(const Vector3& p) const {
  const Matrix4& m = *this;
  return Vector3(p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0),
                 p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1),
                 p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2));
}

void Matrix4::scaleEntries(double k) {
  for (double& e : m_adEntry) e *= k;
}

Matrix4 Matrix4::multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 p;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) p(i, j) = a(i, 0) * b(0, j) + a(i, 1) * b(1, j) + a(i, 2) * b(2, j) + a(i, 3) * b(3, j);
  return p;
}

namespace {
// The 2x2 minors of rows 0-1 (s) and rows 2-3 (c), by column pair
// (01, 02, 03, 12, 13, 23). Both the Laplace expansion of the determinant and
// the cofactors of the adjugate are built from them.
struct Minors {
  double s[6];
  double c[6];
};

Minors minorsOf(const Matrix4& m) {
  Minors r;
  r.s[0] = m(0, 0) * m(1, 1) - m(1, 0) * m(0, 1);
  r.s[1] = m(0, 0) * m(1, 2) - m(1, 0) * m(0, 2);
  r.s[2] = m(0, 0) * m(1, 3) - m(1, 0) * m(0, 3);
  r.s[3] = m(0, 1) * m(1, 2) - m(1, 1) * m(0, 2);
  r.s[4] = m(0, 1) * m(1, 3) - m(1, 1) * m(0, 3);
  r.s[5] = m(0, 2) * m(1, 3) - m(1, 2) * m(0, 3);
  r.c[5] = m(2, 2) * m(3, 3) - m(3, 2) * m(2, 3);
  r.c[4] = m(2, 1) * m(3, 3) - m(3, 1) * m(2, 3);
  r.c[3] = m(2, 1) * m(3, 2) - m(3, 1) * m(2, 2);
  r.c[2] = m(2, 0) * m(3, 3) - m(3, 0) * m(2, 3);
  r.c[1] = m(2, 0) * m(3, 2) - m(3, 0) * m(2, 2);
  r.c[0] = m(2, 0) * m(3, 1) - m(3, 0) * m(2, 1);
  return r;
}

double determinantOf(const Minors& k) {
  return k.s[0] * k.c[5] - k.s[1] * k.c[4] + k.s[2] * k.c[3] + k.s[3] * k.c[2] - k.s[4] * k.c[1] + k.s[5] * k.c[0];
}
}  // namespace

double Matrix4::determinant() const { return determinantOf(minorsOf(*this)); }

void Matrix4::invert() {
  const Minors k = minorsOf(*this);
  const double d = determinantOf(k);
  if (d == 0.0) return;
  const Matrix4& m = *this;
  Matrix4 adj;
  adj.set(
      m(1, 1) * k.c[5] - m(1, 2) * k.c[4] + m(1, 3) * k.c[3], -m(0, 1) * k.c[5] + m(0, 2) * k.c[4] - m(0, 3) * k.c[3],
      m(3, 1) * k.s[5] - m(3, 2) * k.s[4] + m(3, 3) * k.s[3], -m(2, 1) * k.s[5] + m(2, 2) * k.s[4] - m(2, 3) * k.s[3],

      -m(1, 0) * k.c[5] + m(1, 2) * k.c[2] - m(1, 3) * k.c[1], m(0, 0) * k.c[5] - m(0, 2) * k.c[2] + m(0, 3) * k.c[1],
      -m(3, 0) * k.s[5] + m(3, 2) * k.s[2] - m(3, 3) * k.s[1], m(2, 0) * k.s[5] - m(2, 2) * k.s[2] + m(2, 3) * k.s[1],

      m(1, 0) * k.c[4] - m(1, 1) * k.c[2] + m(1, 3) * k.c[0], -m(0, 0) * k.c[4] + m(0, 1) * k.c[2] - m(0, 3) * k.c[0],
      m(3, 0) * k.s[4] - m(3, 1) * k.s[2] + m(3, 3) * k.s[0], -m(2, 0) * k.s[4] + m(2, 1) * k.s[2] - m(2, 3) * k.s[0],

      -m(1, 0) * k.c[3] + m(1, 1) * k.c[1] - m(1, 2) * k.c[0], m(0, 0) * k.c[3] - m(0, 1) * k.c[1] + m(0, 2) * k.c[0],
      -m(3, 0) * k.s[3] + m(3, 1) * k.s[1] - m(3, 2) * k.s[0], m(2, 0) * k.s[3] - m(2, 1) * k.s[1] + m(2, 2) * k.s[0]);
  adj.scaleEntries(1.0 / d);
  *this = adj;
}

}  // namespace Kvat
