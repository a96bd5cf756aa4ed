#!/usr/bin/env bash
# `cmake --install` into a scratch prefix puts the three programs, the desktop
# entries of the two windows (Diffrascope and Diffrascope Lab), their icons in
# two sizes, their AppStream metainfo, the three manual pages
# and the copyright file where the desktop, man and dpkg find them; the
# freedesktop and AppStream validators accept them, the manuals are compressed
# as Debian ships them and render without warnings, the renderer's documents
# every option of --help, every file that names the version names VERSION, the
# licence is MIT throughout, and the installed programs need nothing from the
# build. The Python package, when the build has it, lands in the prefix's
# lib/python3/dist-packages and imports from there.
# Usage: installed_tree.sh BUILD_DIR SOURCE_DIR CMAKE VERSION
set -euo pipefail
usage='usage: installed_tree.sh BUILD_DIR SOURCE_DIR CMAKE VERSION'
build=${1:?$usage}
source_dir=${2:?$usage}
cmake=${3:?$usage}
version=${4:?$usage}
. "$(dirname "$0")/common.sh"

need_tools desktop-file-validate appstreamcli groff man gzip file readelf ldd identify convert

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
renderer=$prefix/bin/diffrascope-render

install_tree() {
  "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed: $(cat "$work/install.log")"
  if [[ -d $build/python/diffrascope ]]; then
    expect_exactly "$prefix" eval 'installed_files; python_files python3-diffrascope'
    python_package_imports "$prefix" "$version"
  else
    expect_exactly_the_installed_files "$prefix"
  fi
  local program
  for program in Diffrascope diffrascope-lab diffrascope-render; do
    [[ -x $prefix/bin/$program ]] || fail "$program is not executable"
  done
}

# No run path, every library found, none of them in the build or the source tree.
programs_need_nothing_from_the_build() {
  local program libraries
  for program in "$prefix"/bin/*; do
    if readelf -d "$program" | grep -E 'RPATH|RUNPATH'; then
      fail "$program carries a run path"
    fi
    libraries=$(ldd "$program")
    if grep 'not found' <<<"$libraries"; then
      fail "$program misses libraries"
    fi
    if grep -F -e "$build" -e "$source_dir" <<<"$libraries"; then
      fail "$program loads libraries from the build or source tree"
    fi
  done
}

# desktop_entry_is_valid_and_complete ID NAME PROGRAM
desktop_entry_is_valid_and_complete() {
  local entry=$prefix/share/applications/$1.desktop name=$2 program=$3
  desktop-file-validate "$entry" >"$work/entry.log" 2>&1 || fail "desktop-file-validate: $(cat "$work/entry.log")"
  # Hints are advice; errors and warnings are faults.
  if grep -E 'error:|warning:' "$work/entry.log"; then
    fail "desktop-file-validate complains about $1"
  fi
  [[ $(entry_value "$entry" Name) == "$name" ]] || fail "Name is not $name"
  [[ -n $(entry_value "$entry" Comment) ]] || fail "no English Comment in $1"
  entry_value "$entry" 'Comment\[ja\]' | grep -qP '[\x{3040}-\x{30FF}\x{4E00}-\x{9FFF}]' || fail "no Japanese Comment[ja] in $1"
  [[ $(entry_value "$entry" Categories) == 'Education;Science;Astronomy;' ]] || fail "Categories are not Education;Science;Astronomy;"
  local icon command
  icon=$(entry_value "$entry" Icon)
  [[ -f $prefix/share/icons/hicolor/32x32/apps/$icon.png && -f $prefix/share/icons/hicolor/256x256/apps/$icon.png ]] ||
    fail "Icon=$icon is not in the installed hicolor theme"
  command=$(entry_value "$entry" Exec)
  [[ $(PATH=$prefix/bin command -v "${command%% *}") == "$prefix/bin/$program" ]] ||
    fail "Exec=$command does not name the installed $program"
}

# Each size: RGBA of 8 bits a channel, a pale-green centre, black corners, red letters.
icons_show_the_star() {
  local side icon id
  for id in "${app_ids[@]}"; do for side in 32 256; do
    icon=$prefix/share/icons/hicolor/${side}x${side}/apps/$id.png
    [[ $(identify -format '%w %h %[channels] %z' "$icon") == "$side $side srgba 8" ]] ||
      fail "$icon is not a $side x $side RGBA picture"
    [[ $(convert "$icon" -format '%[fx:(p{w/2-1,h/2-1}.g > 0.9 && p{w/2-1,h/2-1}.r < p{w/2-1,h/2-1}.g && p{w/2-1,h/2-1}.b < p{w/2-1,h/2-1}.g) ? 1 : 0]' info:) == 1 ]] ||
      fail "the centre of $icon is not bright pale green"
    [[ $(convert "$icon" -format '%[fx:(p{0,0}.r + p{0,0}.g + p{0,0}.b == 0 && p{0,0}.a == 1) ? 1 : 0]' info:) == 1 ]] ||
      fail "the corner of $icon is not opaque black"
    [[ $(convert "$icon" -fx 'r > 0.6 && g < 0.3 ? 1 : 0' -format '%[fx:mean > 0.02 ? 1 : 0]' info:) == 1 ]] ||
      fail "$icon has no red lettering"
  done; done
}

metainfo_is_valid_and_launches_the_entry() {
  appstreamcli validate-tree --no-net "$prefix" >"$work/tree.log" 2>&1 ||
    fail "appstreamcli validate-tree: $(cat "$work/tree.log")"
  local id metainfo launchable
  for id in "${app_ids[@]}"; do
    metainfo=$prefix/share/metainfo/$id.metainfo.xml
    appstreamcli validate --no-net "$metainfo" >"$work/metainfo.log" 2>&1 ||
      fail "appstreamcli validate $id: $(cat "$work/metainfo.log")"
    grep -qF "<id>$id</id>" "$metainfo" || fail "the metainfo id is not $id"
    grep -qF "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
    [[ $launchable == "$id.desktop" && -f $prefix/share/applications/$launchable ]] ||
      fail "the metainfo of $id launches '$launchable', which is not its installed entry"
  done
}

# Each page: compressed as gzip -9n does (as Debian ships it), its header naming
# the version, no warning from groff or man; pages in plain ASCII also render on ASCII terminals.
manuals_are_compressed_and_render_cleanly() {
  local page header device devices
  for page in $(manual_pages); do
    header=$(file -b "$prefix/$page")
    [[ $header == *'max compression'* && $header != *'last modified'* ]] || fail "$page is not gzip -9n: $header"
    gzip -dc "$prefix/$page" >"$work/page"
    [[ $(head -n1 "$work/page") == *"\"Diffrascope $version\""* ]] || fail "$page does not name version $version"
    devices=utf8
    LC_ALL=C grep -q '[^ -~]' "$work/page" || devices='utf8 ascii'
    for device in $devices; do
      groff -k -man -ww -z -T"$device" "$work/page" 2>"$work/groff.log" && [[ ! -s $work/groff.log ]] ||
        fail "groff -T$device on $page: $(cat "$work/groff.log")"
    done
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/$page" >"$work/page.txt" 2>"$work/man.log" &&
      [[ ! -s $work/man.log ]] || fail "man -l $page: $(cat "$work/man.log")"
    grep -q '^NAME' "$work/page.txt" || fail "$page has no NAME section"
  done
  # The source spells options \-\-name; --help lists them as --name.
  gzip -dc "$prefix/share/man/man1/diffrascope-render.1.gz" | sed 's/\\-/-/g' >"$work/render.1"
  for option in $("$renderer" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "$option" "$work/render.1" || fail "the manual does not document $option"
  done
}

# MIT in the metainfo; the copyright file in Debian's machine-readable form with
# the terms of LICENSE after its last "License: Expat", indented, " ." an empty line.
licence_is_mit_throughout() {
  local copyright=$prefix/share/doc/diffrascope/copyright id
  for id in "${app_ids[@]}"; do
    grep -qF '<project_license>MIT</project_license>' "$prefix/share/metainfo/$id.metainfo.xml" ||
      fail "the metainfo's licence of $id is not MIT"
  done
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" &&
    grep -qx 'Files: \*' "$copyright" || fail "the copyright file is not in Debian's machine-readable form"
  awk '/^License: Expat$/ { terms = ""; next } { terms = terms $0 "\n" } END { printf "%s", terms }' "$copyright" |
    sed 's/^ \.$//; s/^ //' | diff - <(sed -n '/^Permission is hereby granted/,$p' "$source_dir/LICENSE") ||
    fail "the copyright file's terms differ from LICENSE"
}

installed_renderer_draws_the_star_image() {
  (cd "$work" && "$renderer" --version) | grep -qx "diffrascope-render $version" || fail "--version does not say $version"
  (cd "$work" && "$renderer" --output star.png) || fail "the installed renderer failed"
  [[ $(identify -format '%w %h' "$work/star.png") == '256 256' ]] || fail "star.png is not 256 x 256"
}

install_tree
programs_need_nothing_from_the_build
desktop_entry_is_valid_and_complete "$app_id" Diffrascope Diffrascope
desktop_entry_is_valid_and_complete "$lab_id" 'Diffrascope Lab' diffrascope-lab
icons_show_the_star
metainfo_is_valid_and_launches_the_entry
manuals_are_compressed_and_render_cleanly
licence_is_mit_throughout
installed_renderer_draws_the_star_image
echo PASS
