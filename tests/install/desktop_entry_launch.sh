#!/usr/bin/env bash
# An installed program starts from its installed desktop entry, found by its
# id the way a desktop finds it (gtk-launch through XDG_DATA_DIRS), on a
# virtual screen: its window appears, it is the installed binary that runs,
# and its quit keys (File > Exit for Diffrascope) end it with status 0.
# Usage: desktop_entry_launch.sh BUILD_DIR CMAKE [ID TITLE PROGRAM QUIT_KEY...]
set -euo pipefail
usage='usage: desktop_entry_launch.sh BUILD_DIR CMAKE [ID TITLE PROGRAM QUIT_KEY...]'
build=${1:?$usage}
cmake=${2:?$usage}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
entry_id=${3:-$app_id}
title=${4:-Diffrascope}
installed_program=${5:-Diffrascope}
quit_keys=("${@:6}")
[[ ${#quit_keys[@]} -gt 0 ]] || quit_keys=(alt+f x)

need_tools Xvfb xdotool gtk-launch python3

work=$(mktemp -d)
prefix=$work/prefix
xvfb_pid='' launch_pid=''
cleanup() {
  [[ -n $launch_pid ]] && pkill -P "$launch_pid" 2>/dev/null || true
  [[ -n $launch_pid ]] && kill "$launch_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A desktop session reduced to what finding and starting an entry needs:
# the installed programs first on PATH, the installed data first in XDG_DATA_DIRS.
# No session bus, so the launcher starts the program itself.
launch_from_entry() {
  mkdir -m 700 "$work/home" "$work/runtime"
  env -i HOME="$work/home" DISPLAY="$display" LANG=C.UTF-8 \
    PATH="$prefix/bin:/usr/bin:/bin" \
    XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_RUNTIME_DIR="$work/runtime" DBUS_SESSION_BUS_ADDRESS=disabled: NO_AT_BRIDGE=1 \
    python3 "$here/launch_and_wait.py" gtk-launch "$entry_id" >"$work/stdout" 2>"$work/stderr" &
  launch_pid=$!
}

titled_windows() { DISPLAY=$display xdotool search --onlyvisible --name "^$title\$" 2>/dev/null || true; }
window_appeared() { [[ -n $(titled_windows) ]]; }
window_gone() { [[ -z $(titled_windows) ]]; }
launch_ended() { ! kill -0 "$launch_pid" 2>/dev/null; }

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed: $(cat "$work/install.log")"
start_screen
launch_from_entry

eventually window_appeared || fail "the window did not appear; launcher said: $(cat "$work/stderr")"
window=$(titled_windows | head -n1)
program_pid=$(DISPLAY=$display xdotool getwindowpid "$window")
program=$(readlink "/proc/$program_pid/exe")
[[ $program == "$prefix/bin/$installed_program" ]] || fail "the window belongs to $program, not the installed program"
echo "the entry started $program"

DISPLAY=$display xdotool windowfocus --sync "$window"
for key in "${quit_keys[@]}"; do
  DISPLAY=$display xdotool key "$key"
done
eventually window_gone || fail "${quit_keys[*]} did not close the window"
eventually launch_ended || fail "the program did not end after ${quit_keys[*]}"
status=0
wait "$launch_pid" || status=$?
launch_pid=''
[[ $status -eq 0 ]] || fail "the program ended with status $status; it said: $(cat "$work/stderr")"
echo PASS
