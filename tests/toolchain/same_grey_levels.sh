#!/usr/bin/env bash
# Two builds of diffrascope-render (from two compilers) write the same bytes:
# the same PGM for a spread of settings (every grid size, both views, each
# scroll bar at its ends, one thread and all; coma, astigmatism, Zernike terms,
# spiders, white light, sheets and the log scale), and the same exit status
# and message when no light passes the aperture. Each build is also checked
# against the literal pipeline by its own exactness test; this compares the
# programs directly.
# Usage: same_grey_levels.sh RENDERER_A RENDERER_B
set -euo pipefail
first=${1:?usage: same_grey_levels.sh RENDERER_A RENDERER_B}
second=${2:?usage: same_grey_levels.sh RENDERER_A RENDERER_B}

settings=(
  "--grid 256 --view full"
  "--grid 256 --spherical -10 --focus -50 --obstruction 99 --wavelength 1000 --view full"
  "--grid 512 --spherical 10 --focus 50 --wavelength 300 --view full"
  "--grid 512 --spherical 0.1 --focus -0.1 --obstruction 1 --wavelength 301"
  "--grid 512 --obstruction 100 --wavelength 440 --view full"
  "--grid 1024 --spherical -4.7 --focus -23 --obstruction 50 --wavelength 880 --view full"
  "--grid 1024 --spherical 10 --focus -50 --obstruction 60 --wavelength 300"
  "--grid 2048 --spherical 3.5 --focus 12 --obstruction 33 --wavelength 640 --view full"
  "--grid 4096 --spherical -10 --focus 50 --obstruction 10 --wavelength 300 --view full"
  "--grid 4096 --focus 0.3 --wavelength 1000"
  "--grid 512 --coma 0.7@33.3 --astigmatism -0.4@120 --zernike 9=0.1,22=-0.05 --spider 5,1.5@12.5 --view full"
  "--grid 256 --spherical 0.25 --obstruction 33 --spider 4,1 --spectrum 450:650:50 --display log --view full"
  "--spherical 0.25 --obstruction 33 --startest 8 --panel 128"
  "--through-focus -2:2:1 --coma 0.3@90 --panel 96 --display log --decades 6"
)
lightless="--obstruction 100" # no grid point inside the aperture at 550 nm: exit status 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs one renderer; its picture, messages and exit status land in $work/$2.*.
render() {
  local status=0
  DIFFRASCOPE_THREADS=$threads "$1" $setting --output - >"$work/$2.pgm" 2>"$work/$2.err" || status=$?
  echo "$status" >"$work/$2.status"
}

compared=0
for setting in "${settings[@]}" "$lightless"; do
  for threads in 1 all; do
    [[ $threads == all ]] && threads=
    render "$first" first
    render "$second" second
    for part in status err pgm; do
      if ! cmp -s "$work/first.$part" "$work/second.$part"; then
        echo "same_grey_levels: '$setting' (threads ${threads:-all}) differs in its $part:" >&2
        cmp "$work/first.$part" "$work/second.$part" >&2 || true
        exit 1
      fi
    done
    expected=0
    [[ $setting == "$lightless" ]] && expected=1
    if [[ $(cat "$work/first.status") != "$expected" ]]; then
      echo "same_grey_levels: '$setting' exits with $(cat "$work/first.status"), not $expected:" >&2
      cat "$work/first.err" >&2
      exit 1
    fi
    compared=$((compared + 1))
  done
done
echo "same_grey_levels: $compared renderings, byte for byte the same from $first and $second"
