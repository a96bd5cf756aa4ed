"""What the module's tests share: the renderer built beside the module, run as a user runs it."""

import os
import subprocess

import pytest

RENDERER = os.environ.get("DIFFRASCOPE_RENDER", "")
SOURCE = os.environ.get("DIFFRASCOPE_SOURCE", "")


@pytest.fixture
def renderer(tmp_path):
    """Runs diffrascope-render in a scratch folder; returns its standard output."""

    def run(*arguments):
        done = subprocess.run([RENDERER, *arguments], cwd=tmp_path, capture_output=True, timeout=300)
        assert done.returncode == 0, done.stderr.decode()
        return done.stdout

    return run
