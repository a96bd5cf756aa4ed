# Helpers shared by the install and package tests; sourced, not run.

. "$(dirname "${BASH_SOURCE[0]}")/../support/shell.sh"

readonly app_id=org.diffrascope.Diffrascope
readonly lab_id=org.diffrascope.DiffrascopeLab
readonly app_ids=("$app_id" "$lab_id")

# The files every install holds, relative to the prefix.
installed_files() {
  cat <<LIST
bin/Diffrascope
bin/diffrascope-lab
bin/diffrascope-render
share/applications/$app_id.desktop
share/applications/$lab_id.desktop
share/doc/diffrascope/copyright
share/icons/hicolor/256x256/apps/$app_id.png
share/icons/hicolor/256x256/apps/$lab_id.png
share/icons/hicolor/32x32/apps/$app_id.png
share/icons/hicolor/32x32/apps/$lab_id.png
share/man/man1/Diffrascope.1.gz
share/man/man1/diffrascope-lab.1.gz
share/man/man1/diffrascope-render.1.gz
share/metainfo/$app_id.metainfo.xml
share/metainfo/$lab_id.metainfo.xml
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

# The manual pages, compressed as Debian ships them, relative to the prefix.
manual_pages() { installed_files | grep '^share/man/'; }

# The value of KEY in a desktop entry (one group only).
entry_value() { sed -n "s/^$2=//p" "$1" | head -n1; }
