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

# The Python package's files, relative to the prefix; $1 names the package's doc folder, if any.
readonly python_package=lib/python3/dist-packages/diffrascope
python_files() {
  local suffix
  suffix=$(/usr/bin/python3 -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')
  printf '%s\n' "$python_package/__init__.py" "$python_package/__init__.pyi" "$python_package/py.typed" \
    "$python_package/_diffrascope$suffix" ${1:+"share/doc/$1/copyright"}
}

# Fails unless the tree under $1 holds exactly the files the command $2... lists.
expect_exactly() {
  local root=$1 found
  shift
  found=$(cd "$root" && find . -type f -printf '%P\n' | sort)
  [[ $found == "$("$@" | sort)" ]] ||
    fail "the files under $root differ from the expected ones:
$(diff <("$@" | sort) <(printf '%s\n' "$found") || true)"
}

# Fails unless the tree under $1 holds exactly the installed files.
expect_exactly_the_installed_files() { expect_exactly "$1" installed_files; }

# The package under $1 imports with Debian's Python and says VERSION $2.
python_package_imports() {
  local site=$1/lib/python3/dist-packages
  [[ $(cd / && PYTHONPATH=$site /usr/bin/python3 -c 'import diffrascope; print(diffrascope.__file__); print(diffrascope.__version__)') == \
    "$site/diffrascope/__init__.py"$'\n'"$2" ]] || fail "the package under $1 does not import as version $2"
  if readelf -d "$site"/diffrascope/_diffrascope*.so | grep -E 'RPATH|RUNPATH'; then
    fail "the module carries a run path"
  fi
}

# The manual pages, compressed as Debian ships them, relative to the prefix.
manual_pages() { installed_files | grep '^share/man/'; }

# The value of KEY in a desktop entry (one group only).
entry_value() { sed -n "s/^$2=//p" "$1" | head -n1; }
