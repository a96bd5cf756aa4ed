#!/usr/bin/python3
"""Writes the type stubs of the built package, diffrascope/__init__.pyi, with
render()'s keywords as the module lists them (the renderer's options).

Usage: make_stubs.py FOLDER   (the folder holding the built diffrascope/)"""

import pathlib
import sys

folder = pathlib.Path(sys.argv[1])
sys.path.insert(0, str(folder))
from diffrascope import _diffrascope  # noqa: E402  (the module just built)

HEAD = '''# Type stubs of diffrascope, written by make_stubs.py from the module's keywords.
import os
from collections.abc import Mapping, Sequence
from typing import Any, Literal

import numpy as np
import numpy.typing as npt

__version__: str

Header = dict[str, float | int | str]

class Result:
    @property
    def image(self) -> npt.NDArray[np.float64] | None: ...
    @property
    def panels(self) -> list[npt.NDArray[np.float64]]: ...
    @property
    def labels(self) -> list[str]: ...
    @property
    def grey(self) -> npt.NDArray[np.uint8]: ...
    @property
    def metrics(self) -> dict[str, Any] | None: ...
    @property
    def header(self) -> Header: ...
    @property
    def panel_headers(self) -> list[Header]: ...
    @property
    def warnings(self) -> list[str]: ...

'''

keywords = "".join(f"    {name}: {annotation} = ...,\n" for name, annotation, _ in _diffrascope._keywords())
stubs = HEAD + f"def render(\n    *,\n{keywords}) -> Result: ...\n"
(folder / "diffrascope" / "__init__.pyi").write_text(stubs)
