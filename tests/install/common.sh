# Helpers shared by the install and package tests; sourced, not run.

readonly skip=77 # ctest's skip code
readonly app_id=org.diffrascope.Diffrascope
readonly wait_seconds=20

fail() { echo "FAIL: $*" >&2; exit 1; }

need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit "$skip"; }
  done
}

# Repeats a command until it succeeds, at most wait_seconds.
eventually() {
  local deadline=$((SECONDS + wait_seconds))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# The files every install holds, relative to the prefix.
installed_files() {
  cat <<LIST
bin/Diffrascope
bin/diffrascope-render
share/applications/$app_id.desktop
share/icons/hicolor/256x256/apps/$app_id.png
share/icons/hicolor/32x32/apps/$app_id.png
share/man/man1/diffrascope-render.1
share/metainfo/$app_id.metainfo.xml
LIST
}

# Fails unless the tree under $1 holds exactly the installed files.
expect_exactly_the_installed_files() {
  local root=$1 found
  found=$(cd "$root" && find . -type f -printf '%P\n' | sort)
  [[ $found == "$(installed_files | sort)" ]] ||
    fail "the files under $root differ from the expected ones:
$(diff <(installed_files | sort) <(printf '%s\n' "$found") || true)"
}

# The value of KEY in a desktop entry (one group only).
entry_value() { sed -n "s/^$2=//p" "$1" | head -n1; }
