#pragma once
// Zernike polynomials by Noll's index, each normalised to an RMS of 1 over the
// unit disc. The angle is counted counterclockwise from the pupil's +x axis;
// even indices take cos(m theta), odd ones sin(m theta) (m > 0). J = 4
// (defocus) and J = 11 (spherical aberration) overlap with the focus and
// spherical-aberration terms; J = 1 (piston) changes nothing and is not offered.

#include <cstdint>

#include "Limits.h"

namespace diffrascope::optics {

struct ZernikeIndex {
    std::int32_t n; // radial order
    std::int32_t m; // azimuthal frequency, at least 0
    bool sine;      // sin(m theta) rather than cos(m theta)
};

// Throws ParameterError for j below 1.
ZernikeIndex NollIndex(std::int32_t j);

struct Vector2 {
    double x;
    double y;
};

// One term, ready to evaluate: Z = norm * P(rho^2) * Re or Im of (x + iy)^m,
// where rho^m P(rho^2) is the radial polynomial R_n^m(rho).
class ZernikePolynomial {
  public:
    // Throws ParameterError for j outside kFirstZernike .. kLastZernike.
    explicit ZernikePolynomial(std::int32_t j);
    // At the pupil point (x, y) with rho2 = x^2 + y^2 (given, so that the
    // caller's own rounding of it is used).
    double At(double x, double y, double rho2) const;
    // The derivatives along x and y at (x, y).
    Vector2 Gradient(double x, double y) const;
    const ZernikeIndex &Index() const { return index_; }

  private:
    ZernikeIndex index_;
    static constexpr std::int32_t kMaxTerms = 5; // (n - m)/2 + 1: J <= 37 has radial order n <= 8
    double coefficients_[kMaxTerms];              // of P, highest power of rho^2 first
    std::int32_t terms_;
    double norm_;
};

} // namespace diffrascope::optics
