#include "LiteralPipeline.h"

#include <cmath>
#include <utility>

namespace diffrascope::reference {
namespace {

using Field = std::vector<double>; // n x n, element [r][c] at r * n + c

struct Tables {
    std::vector<double> sine;
    std::vector<std::int32_t> bitReverse;
};

Tables MakeTables(std::int32_t n) {
    Tables tables{std::vector<double>(static_cast<std::size_t>(n + n / 4)),
                  std::vector<std::int32_t>(static_cast<std::size_t>(n))};
    std::vector<double> &sintbl = tables.sine;
    const std::int32_t half = n / 2, quarter = half / 2, eighth = quarter / 2;
    double t = std::sin(3.141592653589793 / n);
    double dc = 2 * t * t;
    double ds = std::sqrt((2 - dc) * dc);
    t = 2 * dc;
    sintbl[quarter] = 1;
    sintbl[0] = 0;
    double c = 1, s = 0;
    for (std::int32_t i = 1; i < eighth; ++i) {
        c = c - dc;
        dc = dc + t * c;
        s = s + ds;
        ds = ds - t * s;
        sintbl[i] = s;
        sintbl[quarter - i] = c;
    }
    if (eighth != 0) {
        sintbl[eighth] = 0.7071067811865476;
    }
    for (std::int32_t i = 0; i < quarter; ++i) {
        sintbl[half - i] = sintbl[i];
    }
    for (std::int32_t i = 0; i < half + quarter; ++i) {
        sintbl[half + i] = -sintbl[i];
    }
    std::int32_t j = 0;
    tables.bitReverse[0] = 0;
    for (std::int32_t i = 1; i < n; ++i) {
        std::int32_t k = half;
        while (k <= j) {
            j = j - k;
            k = k / 2;
        }
        j = j + k;
        tables.bitReverse[i] = j;
    }
    return tables;
}

// Forward transform of length n, scaled by 1/n.
void ForwardFft(std::int32_t n, const Tables &tables, double *x, double *y) {
    const std::int32_t quarter = n / 4;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::int32_t j = tables.bitReverse[i];
        if (i < j) {
            std::swap(x[i], x[j]);
            std::swap(y[i], y[j]);
        }
    }
    for (std::int32_t k = 1; k < n; k = 2 * k) {
        const std::int32_t k2 = 2 * k, d = n / k2;
        std::int32_t h = 0;
        for (std::int32_t j = 0; j < k; ++j) {
            const double c = tables.sine[h + quarter];
            const double s = tables.sine[h];
            for (std::int32_t i = j; i < n; i += k2) {
                const std::int32_t ik = i + k;
                const double dx = s * y[ik] + c * x[ik];
                const double dy = c * y[ik] - s * x[ik];
                x[ik] = x[i] - dx;
                x[i] = x[i] + dx;
                y[ik] = y[i] - dy;
                y[i] = y[i] + dy;
            }
            h = h + d;
        }
    }
    for (std::int32_t i = 0; i < n; ++i) {
        x[i] = x[i] / n;
        y[i] = y[i] / n;
    }
}

void QuadrantSwap(std::int32_t n, Field &g) {
    const std::int32_t half = n / 2;
    Field scratch(g.size());
    for (std::int32_t r = 0; r < n; ++r) {
        for (std::int32_t c = 0; c < n; ++c) {
            scratch[r * n + c] = g[r * n + (c < half ? c + half : c - half)];
        }
    }
    for (std::int32_t r = 0; r < n; ++r) {
        for (std::int32_t c = 0; c < n; ++c) {
            g[r * n + c] = scratch[(r < half ? r + half : r - half) * n + c];
        }
    }
}

void Fft2DCentred(std::int32_t n, Field &re, Field &im) {
    const Tables tables = MakeTables(n);
    std::vector<double> workRe(static_cast<std::size_t>(n)), workIm(static_cast<std::size_t>(n));
    QuadrantSwap(n, re);
    QuadrantSwap(n, im);
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            workRe[j] = re[j * n + i];
            workIm[j] = im[j * n + i];
        }
        ForwardFft(n, tables, workIm.data(), workRe.data());
        for (std::int32_t j = 0; j < n; ++j) {
            re[j * n + i] = workRe[j];
            im[j * n + i] = workIm[j];
        }
    }
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            workRe[j] = re[i * n + j];
            workIm[j] = im[i * n + j];
        }
        ForwardFft(n, tables, workIm.data(), workRe.data());
        for (std::int32_t j = 0; j < n; ++j) {
            re[i * n + j] = workRe[j];
            im[i * n + j] = workIm[j];
        }
    }
    QuadrantSwap(n, re);
    QuadrantSwap(n, im);
}

} // namespace

void LiteralFft2DCentred(std::int32_t n, std::vector<double> &re, std::vector<double> &im) { Fft2DCentred(n, re, im); }

std::vector<std::int32_t> LiteralStarImage(const ScrollPositions &positions, std::int32_t n) {
    const double sa = positions.spherical * 0.1;
    const double focus = positions.focus * 0.1;
    const double obstruction = positions.obstruction * 0.01;
    const double wavelength = positions.wavelength;
    const std::size_t count = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    Field re(count), im(count);

    const std::int32_t h = n / 2;
    const double s = 0.1 * n;
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            const std::int32_t d = (i - h) * (i - h) + (j - h) * (j - h);
            const double r = std::sqrt(static_cast<double>(d));
            const double u = (r / s) * (wavelength * (1.0 / 550.0));
            if (u > 1 || u < obstruction) {
                re[i * n + j] = 0;
                im[i * n + j] = 0;
            } else {
                const double u2 = u * u;
                const double u4 = u2 * u2;
                const double w = sa * u4 + focus * u2;
                const double phi = w * 2 * 3.141592653589793;
                re[i * n + j] = std::cos(phi);
                im[i * n + j] = std::sin(phi);
            }
        }
    }

    Fft2DCentred(n, re, im);

    for (std::size_t k = 0; k < count; ++k) {
        re[k] = re[k] * re[k] + im[k] * im[k];
    }
    double maximum = 0.0;
    for (std::size_t k = 0; k < count; ++k) {
        if (re[k] >= maximum) {
            maximum = re[k];
        }
    }
    if (maximum == 0) {
        throw ZeroDivisionError();
    }
    const double factor = 1 / maximum;
    std::vector<std::int32_t> grey(count);
    for (std::size_t k = 0; k < count; ++k) {
        const double amplitude = std::sqrt(factor * re[k]);
        std::int32_t level = static_cast<std::int32_t>(amplitude * 300);
        if (level < 0) {
            level = 0;
        }
        if (level >= 255) {
            level = 255;
        }
        grey[k] = level;
    }
    return grey;
}

} // namespace diffrascope::reference
