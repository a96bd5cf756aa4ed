"""The numbers a Python user computes from render()'s arrays with numpy hold to
optics: the Airy pattern's encircled energy, its peak over its flux, and
Marechal's Strehl ratio for one Zernike term."""

import math

import numpy
import pytest

import diffrascope

GRID = 512
SUBPIXELS = 8  # per side: each pixel's share of a circle, counted on a finer grid


def bessel(order, x, steps=4096):
    """J_n(x) = (1/pi) integral over (0, pi) of cos(n t - x sin t) dt, by the midpoint rule (exact for this integrand)."""
    t = (numpy.arange(steps) + 0.5) * math.pi / steps
    return float(numpy.mean(numpy.cos(order * t - x * numpy.sin(t))))


def optical_axis(image):
    """The axis is grid point (N/2, N/2): picture column N/2, picture row N/2, which is image row N/2 - 1 (bottom first)."""
    side = image.shape[0]
    return side // 2 - 1, side // 2


def encircled_energy(image, radius_pixels):
    row, column = optical_axis(image)
    reach = int(radius_pixels) + 2
    window = image[row - reach:row + reach + 1, column - reach:column + reach + 1]
    offsets = (numpy.arange(SUBPIXELS) + 0.5) / SUBPIXELS - 0.5
    y, x = numpy.indices(window.shape) - reach
    share = sum(((x + dx) ** 2 + (y + dy) ** 2 <= radius_pixels ** 2) for dy in offsets for dx in offsets)
    return float((window * share).sum()) / SUBPIXELS ** 2 / float(image.sum())


@pytest.fixture(scope="module")
def airy():
    return diffrascope.render(view="full", grid=GRID)


def test_the_airy_pattern_peaks_on_the_optical_axis(airy):
    assert numpy.unravel_index(airy.image.argmax(), airy.image.shape) == optical_axis(airy.image)


@pytest.mark.parametrize("ring", [1.2197, 2.2331, 3.2383])  # zeros of J1(pi r), over pi
def test_airy_encircled_energy_at_the_dark_rings_is_one_less_j0_and_j1_squared(airy, ring):
    # Rayleigh: the energy within radius r (lambda/D) is 1 - J0(pi r)^2 - J1(pi r)^2
    expected = 1 - bessel(0, math.pi * ring) ** 2 - bessel(1, math.pi * ring) ** 2
    assert encircled_energy(airy.image, ring / airy.header["PIXSCALE"]) == pytest.approx(expected, abs=5e-5)


@pytest.mark.parametrize("obstruction", [0, 33])
def test_flux_over_peak_is_four_over_pi_of_the_open_area(obstruction):
    # peak / flux of an annulus = (pi / 4) (1 - e^2) per (lambda/D)^2
    result = diffrascope.render(view="full", grid=1024, obstruction=obstruction)
    flux = float(result.image.sum()) * result.header["PIXSCALE"] ** 2
    assert flux == pytest.approx(4 / (math.pi * (1 - (obstruction / 100) ** 2)), rel=5e-4)


@pytest.mark.parametrize("noll", [4, 5, 8, 11, 22])
def test_one_zernike_term_keeps_marechals_strehl_ratio(noll, airy):
    rms = 0.05  # waves
    result = diffrascope.render(view="full", grid=GRID, zernike={noll: rms}, metrics=True)
    # both images peak at 1 and hold the same light: the brightest pixels' ratio is the fluxes' inverse ratio
    strehl = float(airy.image.sum()) / float(result.image.sum())
    assert strehl == pytest.approx(math.exp(-(2 * math.pi * rms) ** 2), abs=3e-3)
    assert result.metrics["strehl_pixel"] == pytest.approx(strehl, rel=1e-12)
    # the true peak, between the pixels, is at least the brightest pixel
    assert strehl * (1 - 1e-12) <= result.metrics["strehl"] <= strehl * (1 + 1e-3)
