#pragma once
// The scene graph's transform: a 4x4 matrix of doubles, row-major, used with
// row vectors (p' = p * M). Translation sits in row 3 and A * B applies A first.

namespace Kvat {

struct Vector3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  Vector3() = default;
  Vector3(double vx, double vy, double vz) : x(vx), y(vy), z(vz) {}
};

class Matrix4 {
 public:
  // A new matrix is all zero; owners set it before use.
  Matrix4() = default;

  double& operator()(int row, int col) { return m_adEntry[4 * row + col]; }
  double operator()(int row, int col) const { return m_adEntry[4 * row + col]; }
  double& operator[](int index) { return m_adEntry[index]; }
  double operator[](int index) const { return m_adEntry[index]; }
  const double* data() const { return m_adEntry; }

  void setZero();
  void setIdentity();
  void set(double m00, double m01, double m02, double m03, double m10, double m11, double m12, double m13, double m20,
           double m21, double m22, double m23, double m30, double m31, double m32, double m33);
  void setTranslation(const Vector3& t);
  void setScaling(const Vector3& s);
  void setRotationX(double a);
  void setRotationY(double a);
  void setRotationZ(double a);
  // Bank about Z first, then pitch about X, then heading about Y.
  void setHeadingPitchBank(double h, double p, double b);
  void scaleEntries(double k);

  static Matrix4 multiply(const Matrix4& a, const Matrix4& b);
  double determinant() const;
  // In-place inverse; a matrix whose determinant is exactly 0 is left as it is.
  void invert();

  // The point p as the row (p, 1) times this matrix.
  Vector3 transformPoint(const Vector3& p) const;

  // Row 3: where the origin of this frame lands.
  Vector3 translation() const { return Vector3(m_adEntry[12], m_adEntry[13], m_adEntry[14]); }

 private:
  double m_adEntry[16] = {};
};

}  // namespace Kvat
