#include "Zernike.h"

#include <cmath>
#include <string>

#include "OpticsError.h"

namespace diffrascope::optics {
namespace {

double Factorial(std::int32_t k) {
    double f = 1;
    for (std::int32_t i = 2; i <= k; ++i) {
        f *= i;
    }
    return f;
}

} // namespace

ZernikeIndex NollIndex(std::int32_t j) {
    if (j < 1) {
        throw ParameterError("zernike", "the Noll index " + std::to_string(j) + " is below 1");
    }
    std::int32_t n = 0;
    while (static_cast<std::int64_t>(n + 1) * (n + 2) / 2 < j) {
        ++n;
    }
    const auto k = static_cast<std::int32_t>(j - static_cast<std::int64_t>(n) * (n + 1) / 2 - 1); // place within the order, 0 .. n
    const std::int32_t m = n % 2 == 0 ? 2 * ((k + 1) / 2) : 2 * (k / 2) + 1;
    return {n, m, m != 0 && j % 2 == 1};
}

namespace {

ZernikeIndex OfferedIndex(std::int32_t j) {
    if (j < kFirstZernike || j > kLastZernike) {
        throw ParameterError("zernike", "the Noll index " + std::to_string(j) + " lies outside " +
                                            std::to_string(kFirstZernike) + " to " + std::to_string(kLastZernike));
    }
    return NollIndex(j);
}

} // namespace

ZernikePolynomial::ZernikePolynomial(std::int32_t j) : index_(OfferedIndex(j)) {
    const std::int32_t n = index_.n;
    const std::int32_t m = index_.m;
    terms_ = (n - m) / 2 + 1;
    // R_n^m(rho) = sum over s of (-1)^s (n - s)! / (s! ((n + m)/2 - s)! ((n - m)/2 - s)!) rho^(n - 2s);
    // s = 0 carries the highest power.
    for (std::int32_t s = 0; s < terms_; ++s) {
        const double magnitude =
            Factorial(n - s) / (Factorial(s) * Factorial((n + m) / 2 - s) * Factorial((n - m) / 2 - s));
        coefficients_[s] = s % 2 == 0 ? magnitude : -magnitude;
    }
    norm_ = std::sqrt(static_cast<double>(m == 0 ? n + 1 : 2 * (n + 1)));
}

Vector2 ZernikePolynomial::Gradient(double x, double y) const {
    const double rho2 = x * x + y * y;
    double radial = coefficients_[0];
    double slope = 0; // dP / d(rho^2)
    for (std::int32_t s = 1; s < terms_; ++s) {
        slope = slope * rho2 + radial;
        radial = radial * rho2 + coefficients_[s];
    }
    // (x + iy)^m and m (x + iy)^(m - 1), its derivative along x; along y it is i times that.
    double re = 1;
    double im = 0;
    double dRe = 0;
    double dIm = 0;
    for (std::int32_t k = 0; k < index_.m; ++k) {
        dRe = re;
        dIm = im;
        const double nextRe = re * x - im * y;
        const double nextIm = re * y + im * x;
        re = nextRe;
        im = nextIm;
    }
    dRe *= index_.m;
    dIm *= index_.m;
    const double angular = index_.sine ? im : re;
    const double angularX = index_.sine ? dIm : dRe;
    const double angularY = index_.sine ? dRe : -dIm;
    return {norm_ * (2 * x * slope * angular + radial * angularX), norm_ * (2 * y * slope * angular + radial * angularY)};
}

double ZernikePolynomial::At(double x, double y, double rho2) const {
    double radial = coefficients_[0];
    for (std::int32_t s = 1; s < terms_; ++s) {
        radial = radial * rho2 + coefficients_[s];
    }
    // (x + iy)^m by repeated products: a mirror image of the point gives the
    // conjugate or the negative, bit for bit.
    double re = 1;
    double im = 0;
    for (std::int32_t k = 0; k < index_.m; ++k) {
        const double nextRe = re * x - im * y;
        const double nextIm = re * y + im * x;
        re = nextRe;
        im = nextIm;
    }
    return norm_ * radial * (index_.sine ? im : re);
}

} // namespace diffrascope::optics
