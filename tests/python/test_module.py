"""The module as a package: the program's version, type stubs for every option
of the renderer, arrays that are views of the computation's memory and outlive
the result, the same image on any number of threads, silence, and the README's
example."""

import ast
import gc
import os
import pathlib
import re
import subprocess
import sys

import numpy

import diffrascope
from conftest import RENDERER, SOURCE

PACKAGE = pathlib.Path(diffrascope.__file__).parent
PYTHON_ONLY = {"threads"}  # keywords that are no option of the renderer
NOT_KEYWORDS = {"output", "help", "version"}  # options that are no keyword


def test_version_is_the_renderers():
    done = subprocess.run([RENDERER, "--version"], capture_output=True, text=True, check=True)
    assert done.stdout == f"diffrascope-render {diffrascope.__version__}\n"


def test_stubs_ship_with_every_option_of_the_renderer_as_a_keyword():
    help_text = subprocess.run([RENDERER, "--help"], capture_output=True, text=True, check=True).stdout
    options = {name.replace("-", "_") for name in re.findall(r"^\s+(?:-\w, )?--([a-z][a-z0-9-]*)", help_text, re.M)}
    stubs = ast.parse((PACKAGE / "__init__.pyi").read_text())
    render = next(node for node in stubs.body if isinstance(node, ast.FunctionDef) and node.name == "render")
    assert {argument.arg for argument in render.args.kwonlyargs} == options - NOT_KEYWORDS | PYTHON_ONLY
    assert (PACKAGE / "py.typed").exists()
    assert all(f"\n{name}: " in diffrascope.render.__doc__ for name in options - NOT_KEYWORDS | PYTHON_ONLY)


def test_arrays_are_views_of_the_result_and_outlive_it():
    result = diffrascope.render(coma=0.3)
    image, grey = result.image, result.grey
    assert not image.flags.owndata and not grey.flags.owndata
    assert numpy.shares_memory(image, result.panels[0])
    kept = image.copy()
    del result
    gc.collect()
    for _ in range(3):
        diffrascope.render(coma=-0.3, view="full")  # memory freed by the result would be reused here
    assert numpy.array_equal(image, kept)
    assert image.max() == 1.0


def test_any_number_of_threads_gives_the_same_image():
    keywords = dict(coma=(0.3, 20), obstruction=33, spider=(4, 1), spectrum=(500, 600, 50), view="full")
    reference = diffrascope.render(**keywords, threads=1).image
    for threads in (0, 2, 3):
        assert numpy.array_equal(diffrascope.render(**keywords, threads=threads).image, reference)


def test_a_sheet_drawn_in_a_fresh_interpreter_prints_nothing_and_keeps_the_locale():
    script = (
        "import locale, diffrascope\n"
        "before = locale.setlocale(locale.LC_ALL)\n"
        "grey = diffrascope.render(startest=3, f_ratio=5).grey\n"
        "assert grey.ndim == 2 and grey.max() > 200\n"
        "assert locale.setlocale(locale.LC_ALL) == before\n"
    )
    environment = {key: value for key, value in os.environ.items()
                   if key not in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR")}
    done = subprocess.run([sys.executable, "-c", script], env=environment, capture_output=True, text=True, timeout=120)
    assert (done.returncode, done.stdout, done.stderr) == (0, "", "")


def test_the_readmes_example_draws_its_figure(tmp_path):
    readme = (pathlib.Path(SOURCE) / "README.md").read_text()
    example = re.search(r"```python\n(.*?)```", readme, re.S).group(1)
    subprocess.run([sys.executable, "-c", example], cwd=tmp_path, check=True, timeout=120)
    assert (tmp_path / "suiter-python.png").read_bytes().startswith(b"\x89PNG")
