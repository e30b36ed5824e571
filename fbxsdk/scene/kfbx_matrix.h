#pragma once

// Four doubles (x, y, z, w); triples use the first three, w defaults to 1.
struct KgeTVector {
  double m_adData[4] = {0.0, 0.0, 0.0, 1.0};

  KgeTVector() = default;
  KgeTVector(double dX, double dY, double dZ, double dW = 1.0) : m_adData{dX, dY, dZ, dW} {}
  double& operator[](int iIndex) { return m_adData[iIndex]; }
  double operator[](int iIndex) const { return m_adData[iIndex]; }
};

// Row-major 4x4 matrix in the row-vector convention: a point p maps to p*M,
// translation sits in row 3, and A*B applies A first.
struct Matrix44 {
  double m_aadData[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

  double* operator[](int iRow) { return m_aadData[iRow]; }
  const double* operator[](int iRow) const { return m_aadData[iRow]; }

  static Matrix44 Identity() { return Matrix44(); }

  friend Matrix44 operator*(const Matrix44& xA, const Matrix44& xB) {
    Matrix44 xOut;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) {
        double dSum = 0.0;
        for (int k = 0; k < 4; ++k) dSum += xA[r][k] * xB[k][c];
        xOut[r][c] = dSum;
      }
    return xOut;
  }

  Matrix44 Transposed() const {
    Matrix44 xOut;
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) xOut[r][c] = m_aadData[c][r];
    return xOut;
  }
};
