"""Bad input of every kind raises the exception a Python user expects, in the
renderer's words (or the window's, for no light), writes nothing, and leaves
the interpreter computing the next image as before."""

import numpy
import pytest

import diffrascope

CASES = [
    # values the renderer refuses
    (dict(spherical=11), ValueError,
     "diffrascope: --spherical '11' is out of range; --spherical accepts -10 to 10 waves."),
    (dict(spherical=float("nan")), ValueError, "--spherical 'nan' is not a number"),
    (dict(through_focus=(-4, 4, 3)), ValueError, "does not reach TO from FROM in whole steps"),
    (dict(zernike={1: 0.1}), ValueError, "has no Noll index from 2 to 37"),
    (dict(display="gamma"), ValueError, "--display 'gamma' is not a display scale"),
    (dict(startest=8, through_focus=(-1, 1, 1)), ValueError, "--startest and --through-focus cannot be given together"),
    (dict(ee_radii=2), ValueError, "--ee-radii needs --metrics"),
    (dict(spectrum="no-such-spectrum.txt"), ValueError, "--spectrum 'no-such-spectrum.txt' cannot be read"),
    (dict(threads=65), ValueError, "diffrascope: threads: 65 lies outside 0 to 64."),
    (dict(threads=10 ** 30), ValueError, "is not a thread count"),
    (dict(startest=3, spherical=3, grid=256, strict=True), ValueError, "strict=True: nothing was computed."),
    # keywords and types Python refuses
    (dict(colour="red"), TypeError, "render() got an unexpected keyword argument 'colour'"),
    (dict(output="star.png"), TypeError, "render() writes no file"),
    (dict(spherical="0.25"), TypeError, "render() argument 'spherical' must be a number, not str"),
    (dict(spherical=True), TypeError, "must be a number, not bool"),
    (dict(coma=(0.3, 30, 1)), TypeError, "'coma' must be a number or (WAVES, DEG), not tuple"),
    (dict(spider=4), TypeError, "'spider' must be (COUNT, WIDTH) or (COUNT, WIDTH, DEG), not int"),
    (dict(zernike=0.1), TypeError, "'zernike' must be a mapping or a sequence of (J, C)"),
    (dict(display=2), TypeError, "'display' must be 'amplitude' or 'log'"),
    (dict(strict=1), TypeError, "'strict' must be True or False"),
    (dict(threads=2.0), TypeError, "'threads' must be a whole number"),
    # no light
    (dict(obstruction=100), ZeroDivisionError, "0 による浮動小数点数除算."),
]


@pytest.fixture(scope="module")
def default_image():
    return diffrascope.render().image.copy()


@pytest.mark.parametrize("keywords, error, message", CASES, ids=[str(case[0]) for case in CASES])
def test_bad_input_raises_its_error_and_the_next_image_is_computed(keywords, error, message, default_image, capfd):
    with pytest.raises(error) as raised:
        diffrascope.render(**keywords)
    assert message in str(raised.value)
    assert numpy.array_equal(diffrascope.render().image, default_image)
    assert capfd.readouterr() == ("", "")


def test_positional_arguments_are_refused():
    with pytest.raises(TypeError):
        diffrascope.render(0.25)
