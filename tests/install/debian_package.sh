#!/usr/bin/env bash
# scripts/package builds diffrascope_VERSION_<arch>.deb; unpacked into a scratch
# root with dpkg -x it holds the installed files (the copyright file and the
# compressed manual pages among them), owned by root, with stripped programs
# that run; its control fields name the package, the version and the section,
# and its Depends list Qt 6 (Charts for the lab) and the two font packages,
# every one of them a package this system knows. Beside it,
# python3-diffrascope_VERSION_<arch>.deb holds the Python package, which
# imports from its unpacked tree, and depends on Python, numpy and Qt.
# Usage: debian_package.sh SOURCE_DIR PACKAGE_BUILD_DIR VERSION
set -euo pipefail
usage='usage: debian_package.sh SOURCE_DIR PACKAGE_BUILD_DIR VERSION'
source_dir=${1:?$usage}
package_build=${2:?$usage}
version=${3:?$usage}
. "$(dirname "$0")/common.sh"

need_tools dpkg dpkg-deb dpkg-shlibdeps cpack readelf file identify

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
readonly needed_packages=(libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 fonts-ipafont-gothic fonts-urw-base35)

build_package() {
  "$source_dir/scripts/package" "$package_build" >"$work/package.log" 2>&1 ||
    fail "scripts/package failed: $(tail -n 30 "$work/package.log")"
  deb=$package_build/diffrascope_${version}_$(dpkg --print-architecture).deb
  [[ -f $deb ]] || fail "no $deb; the build holds: $(ls "$package_build")"
}

control_fields_describe_the_package() {
  local field expected
  for field in Package:diffrascope "Version:$version" Section:science "Architecture:$(dpkg --print-architecture)"; do
    expected=${field#*:}
    [[ $(dpkg-deb -f "$deb" "${field%%:*}") == "$expected" ]] || fail "${field%%:*} is not $expected"
  done
  [[ $(dpkg-deb -f "$deb" Maintainer) =~ ^.+\ \<.+@.+\>$ ]] || fail "Maintainer is not 'Name <address>'"
  [[ -n $(dpkg-deb -f "$deb" Description) ]] || fail "no Description"
}

# Depends names Qt 6 and the fonts, and nothing this system has never heard of.
depends_list_qt_and_fonts() {
  local depends names name
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*)//; s/:any//; s/[[:space:]]//g' | grep .)
  for name in "${needed_packages[@]}"; do
    grep -qx "$name" <<<"$names" || fail "Depends lacks $name"
  done
  for name in $names; do
    apt-cache show "$name" >/dev/null 2>&1 || dpkg-query -W "$name" >/dev/null 2>&1 ||
      fail "Depends names $name, which is no known package"
  done
}

files_are_owned_by_root() {
  if dpkg-deb -c "$deb" | awk '$2 != "root/root"' | grep .; then
    fail "entries not owned by root/root"
  fi
}

python_package_holds_the_module() {
  local python_deb=$package_build/python3-diffrascope_${version}_$(dpkg --print-architecture).deb
  [[ -f $python_deb ]] || fail "no $python_deb"
  [[ $(dpkg-deb -f "$python_deb" Package) == python3-diffrascope ]] || fail "the Python package is misnamed"
  local depends name
  depends=$(dpkg-deb -f "$python_deb" Depends)
  for name in python3 python3-numpy libqt6gui6; do
    grep -qE "(^|, )$name( |,|$)" <<<"$depends" || fail "python3-diffrascope's Depends lacks $name: $depends"
  done
  dpkg -x "$python_deb" "$work/python"
  expect_exactly "$work/python/usr" python_files python3-diffrascope
  python_package_imports "$work/python/usr" "$version"
}

unpacked_tree_holds_the_programs_and_their_files() {
  dpkg -x "$deb" "$root"
  expect_exactly_the_installed_files "$root/usr"
  local program
  for program in "$root"/usr/bin/*; do
    file -L "$program" | grep -q ', stripped' || fail "$program is not stripped"
    if readelf -d "$program" | grep -E 'RPATH|RUNPATH'; then
      fail "$program carries a run path"
    fi
    if ldd "$program" | grep 'not found'; then
      fail "$program misses libraries"
    fi
  done
  (cd "$work" && "$root/usr/bin/diffrascope-render" --version) | grep -qx "diffrascope-render $version" ||
    fail "the packaged renderer does not say $version"
  (cd "$work" && "$root/usr/bin/diffrascope-render" --focus 1.5 --output star.png) || fail "the packaged renderer failed"
  [[ $(identify -format '%w %h' "$work/star.png") == '256 256' ]] || fail "star.png is not 256 x 256"
  QT_QPA_PLATFORM=offscreen "$root/usr/bin/diffrascope-lab" --version | grep -qx "diffrascope-lab $version" ||
    fail "the packaged lab does not say $version"
}

build_package
control_fields_describe_the_package
depends_list_qt_and_fonts
files_are_owned_by_root
unpacked_tree_holds_the_programs_and_their_files
python_package_holds_the_module
echo PASS
