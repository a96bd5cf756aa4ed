#include "Zernike.h"

#include <cmath>
#include <stdexcept>

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
        throw std::invalid_argument("Noll index below 1");
    }
    std::int32_t n = 0;
    while ((n + 1) * (n + 2) / 2 < j) {
        ++n;
    }
    const std::int32_t k = j - n * (n + 1) / 2 - 1; // place within the order, 0 .. n
    const std::int32_t m = n % 2 == 0 ? 2 * ((k + 1) / 2) : 2 * (k / 2) + 1;
    return {n, m, m != 0 && j % 2 == 1};
}

ZernikePolynomial::ZernikePolynomial(std::int32_t j) : index_(NollIndex(j)) {
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
