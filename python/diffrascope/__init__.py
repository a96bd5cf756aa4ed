"""Star images of a telescope or camera as numpy arrays: diffrascope-render's
optics, options and numbers for Python.

    >>> import diffrascope
    >>> sheet = diffrascope.render(spherical=0.25, obstruction=33, startest=8)
    >>> sheet.labels
    ['intrafocal, -8 waves', 'focus, 0 waves', 'extrafocal, +8 waves']

render() takes the renderer's options as keywords and returns a Result: the
intensities (`image`, or `panels` for a sheet), the 8-bit picture (`grey`),
the numbers (`metrics`) and the FITS header (`header`).

Conventions, as in diffrascope-render --help:
- Aberrations are in waves at the edge of the pupil at the reference
  wavelength (`wavelength`, nm); Zernike terms in waves RMS. At another
  wavelength they scale as lambda_ref / lambda: the optical path stays.
- Signs: W = SA u^4 + F u^2. Positive focus is extrafocal (the eyepiece racked
  outward beyond focus); positive spherical aberration is under-correction,
  the marginal rays focusing at F = -2 SA.
- Angles count counterclockwise from the picture's +x axis (+y up).
- Units: the obstruction and the vanes' width in percent of the diameter;
  lengths in the image in lambda/D of the reference wavelength, one grid
  pixel being 110 / lambda lambda/D (0.2 at 550 nm) at every grid size;
  focuser travel in mm (with `f_ratio`).
- Normalisation: intensities peak at 1 (the brightest pixel or block of the
  field); encircled energy is a fraction of the whole grid's flux.
- Orientation: image[0] is the picture's bottom row, as in the FITS file
  (imshow(image, origin="lower")); grey[0] is its top row, as in the PNG.
"""

from ._diffrascope import Result, __version__, _keywords, _render

__all__ = ["Result", "render", "__version__"]


def render(**options) -> Result:
    return _render(options)


def _keyword_help():
    lines = []
    for name, annotation, description in _keywords():
        lines.append(f"{name}: {annotation}")
        lines.extend("    " + line for line in _wrapped(description, 72))
    return "\n".join(lines)


def _wrapped(text, width):
    lines, line = [], ""
    for word in text.split():
        if line and len(line) + 1 + len(word) > width:
            lines.append(line)
            line = word
        else:
            line = f"{line} {word}" if line else word
    return lines + [line] if line else lines


render.__doc__ = f"""Computes a star image, a star test or a through-focus sheet.

Takes diffrascope-render's options as keywords, named with "_" for "-"
(f_ratio for --f-ratio) and read by the renderer's own parser, with its
ranges and messages. Numbers are numbers (0.3 reads as --spherical 0.3); a
value of several parts is a tuple: coma=(0.3, 30) is --coma 0.3@30,
spider=(4, 1) is --spider 4,1, through_focus=(-4, 4, 2) is
--through-focus -4:4:2, spectrum=(400, 700, 10) is --spectrum 400:700:10;
zernike={{8: 0.05}} is --zernike 8=0.05. Without `view`, `panel` or `field` the
image is the 256 x 256 centre of the grid (512 unless `grid` says), as the
renderer's.

Raises ValueError with the renderer's message for a value it refuses,
TypeError for an unknown keyword or a value of the wrong type,
ZeroDivisionError when no light passes the aperture and MemoryError when
memory runs short (both with the window's messages), KeyboardInterrupt when
Ctrl-C stops the computation. Writes nothing to standard output or error.

Keywords:
{_keyword_help()}
"""
