#include <gtest/gtest.h>

#include <cmath>

#include "kv_matrix.h"

using Kvat::Matrix4;
using Kvat::Vector3;

namespace {

const double kPi = 3.14159265358979323846;

void expectNear(const Matrix4& a, const Matrix4& b, double tol = 1e-12) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a[i], b[i], tol) << "entry " << i;
}

Matrix4 identity() {
  Matrix4 m;
  m.setIdentity();
  return m;
}

TEST(Matrix4, NewMatrixIsZero) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], 0.0);
}

TEST(Matrix4, HeadingPitchBankMatchesAxisRotations) {
  struct Case {
    double h, p, b;
  };
  const Case cases[] = {{0, 0, 0}, {0.7, 0, 0}, {0, -0.4, 0}, {0, 0, 1.3}, {0.3, 0.5, -0.9}, {kPi, kPi / 2, -kPi / 3}};
  for (const Case& c : cases) {
    Matrix4 hpb, rx, ry, rz;
    hpb.setHeadingPitchBank(c.h, c.p, c.b);
    rx.setRotationX(c.p);
    ry.setRotationY(c.h);
    rz.setRotationZ(c.b);
    // Bank first, then pitch, then heading.
    expectNear(hpb, Matrix4::multiply(Matrix4::multiply(rz, rx), ry));
  }
  Matrix4 zero;
  zero.setHeadingPitchBank(0, 0, 0);
  expectNear(zero, identity(), 0.0);
}

TEST(Matrix4, QuarterTurnsAreCounterClockwise) {
  struct Case {
    int axis;
    Vector3 in, out;
  };
  const Case cases[] = {{0, {0, 1, 0}, {0, 0, 1}}, {1, {0, 0, 1}, {1, 0, 0}}, {2, {1, 0, 0}, {0, 1, 0}}};
  for (const Case& c : cases) {
    Matrix4 r;
    if (c.axis == 0) r.setRotationX(kPi / 2);
    if (c.axis == 1) r.setRotationY(kPi / 2);
    if (c.axis == 2) r.setRotationZ(kPi / 2);
    const Vector3 p = r.transformPoint(c.in);
    EXPECT_NEAR(p.x, c.out.x, 1e-15);
    EXPECT_NEAR(p.y, c.out.y, 1e-15);
    EXPECT_NEAR(p.z, c.out.z, 1e-15);
  }
}

TEST(Matrix4, TranslationsComposeAndScaleComesFirst) {
  Matrix4 t, u, tu;
  t.setTranslation({1, 2, 3});
  u.setTranslation({-4, 0.5, 7});
  tu.setTranslation({-3, 2.5, 10});
  expectNear(Matrix4::multiply(t, u), tu, 0.0);

  Matrix4 s;
  s.setScaling({2, 3, 4});
  const Vector3 p = Matrix4::multiply(s, t).transformPoint({1, 1, 1});
  EXPECT_DOUBLE_EQ(p.x, 3);
  EXPECT_DOUBLE_EQ(p.y, 5);
  EXPECT_DOUBLE_EQ(p.z, 7);
}

TEST(Matrix4, ProductMayBeAssignedToAnOperand) {
  Matrix4 a, b;
  a.setRotationX(0.3);
  b.setTranslation({1, 2, 3});
  const Matrix4 expected = Matrix4::multiply(a, b);
  a = Matrix4::multiply(a, b);
  expectNear(a, expected, 0.0);
}

TEST(Matrix4, DeterminantUsesTheFullMatrix) {
  Matrix4 s;
  s.setScaling({2, 3, 4});
  EXPECT_DOUBLE_EQ(s.determinant(), 24.0);
  Matrix4 m;  // not affine: a projective last column counts too
  m.set(1, 2, 0, 1, 0, 1, 3, 0, 2, 0, 1, 4, 1, 1, 1, 1);
  EXPECT_DOUBLE_EQ(m.determinant(), -8.0);
  Matrix4 r;
  r.setHeadingPitchBank(0.4, 1.1, -2.0);
  EXPECT_NEAR(r.determinant(), 1.0, 1e-14);
}

TEST(Matrix4, SingularMatricesAreLeftUnchanged) {
  Matrix4 zero;
  zero.invert();
  expectNear(zero, Matrix4(), 0.0);

  Matrix4 flat;
  flat.setScaling({1, 0, 2});
  const Matrix4 before = flat;
  flat.invert();
  expectNear(flat, before, 0.0);
}

TEST(Matrix4, InverseTimesMatrixIsIdentity) {
  Matrix4 r, s, t;
  r.setHeadingPitchBank(0.4, 1.1, -2.0);
  s.setScaling({2, 0.5, 3});
  t.setTranslation({10, -3, 4});
  const Matrix4 cases[] = {Matrix4::multiply(Matrix4::multiply(s, r), t), t, s, r, [] {
                             Matrix4 m;
                             m.set(1, 2, 0, 1, 0, 1, 3, 0, 2, 0, 1, 4, 1, 1, 1, 1);
                             return m;
                           }()};
  for (const Matrix4& m : cases) {
    Matrix4 inv = m;
    inv.invert();
    expectNear(Matrix4::multiply(m, inv), identity(), 1e-12);
    expectNear(Matrix4::multiply(inv, m), identity(), 1e-12);
  }
}

}  // namespace
