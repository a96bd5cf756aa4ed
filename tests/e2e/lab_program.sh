#!/usr/bin/env bash
# The real Diffrascope Lab on a virtual screen, driven like a user: started
# with options, it shows their panels; Alt+S reaches the spherical aberration
# and a typed value recomputes; Ctrl+Shift+C puts the renderer's command on
# the clipboard; that command, run, draws a sheet whose panels are, byte for
# byte, the panels on screen. Ctrl+Q ends it with status 0. A bad value on the
# command line gets the renderer's message in a box and exit status 2.
# Usage: lab_program.sh PATH/TO/diffrascope-lab PATH/TO/diffrascope-render [SCREENSHOT_DIR]
set -euo pipefail
usage='usage: lab_program.sh PATH/TO/diffrascope-lab PATH/TO/diffrascope-render [SCREENSHOT_DIR]'
lab=${1:?$usage}
renderer=${2:?$usage}
shots=${3:-}
readonly sheet_gap=8 # the renderer's margin around and between a sheet's panels

. "$(dirname "$0")/../support/shell.sh"
need_tools Xvfb xdotool xclip import convert cmp

work=$(mktemp -d)
xvfb_pid='' app_pid=''
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

titled_windows() { xdotool search --onlyvisible --name '^Diffrascope Lab$' 2>/dev/null || true; }
window_appeared() { [[ -n $(titled_windows) ]]; }
app_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
# The window's report of what is on screen: "command ..." and one "panel X Y SIDE" line each.
shown_command() { sed -n 's/^command //p' "$work/report" 2>/dev/null; }
shows() { [[ $(shown_command) == *"$1"* ]]; }
clipboard() { xclip -selection clipboard -o 2>/dev/null || true; }
clipboard_holds_the_shown_command() { [[ -n $(shown_command) && $(clipboard) == "$(shown_command)" ]]; }

# The red channel (a grey panel's level) of a rectangle as PGM bytes.
grey_crop() { convert "$1" -crop "${2}x${2}+$3+$4" +repage -channel R -separate -depth 8 pgm:"$5"; }

# Every panel of the window, as its report places it, against the sheet's panel in the same place.
panels_match_the_sheet() {
  import -window "$window" "$work/window.png"
  local k=0 x y side
  while read -r _ x y side; do
    grey_crop "$work/window.png" "$side" "$x" "$y" "$work/screen-$k.pgm"
    grey_crop "$work/sheet.png" "$side" $((sheet_gap + k * (side + sheet_gap))) "$sheet_gap" "$work/sheet-$k.pgm"
    cmp -s "$work/screen-$k.pgm" "$work/sheet-$k.pgm" || return 1
    k=$((k + 1))
  done < <(grep '^panel ' "$work/report")
  [[ $k -eq 3 ]]
}

start_lab() {
  env HOME="$work/home" XDG_CONFIG_HOME="$work/config" DIFFRASCOPE_LAB_REPORT="$work/report" \
    "$lab" "$@" >"$work/stdout" 2>"$work/stderr" &
  app_pid=$!
}

unset QT_QPA_PLATFORM WAYLAND_DISPLAY # the real X11 window, not an offscreen one
mkdir -p "$work/home" "$work/config"
start_screen 1600x1000

start_lab --obstruction 33 --spider 4,1 --coma 0.3@30 --f-ratio 4.8 --display log
eventually window_appeared || fail "the window did not appear: $(cat "$work/stderr")"
window=$(titled_windows | head -n1)
eventually shows '--coma 0.3@30 --obstruction 33 --spider 4,1 --f-ratio 4.8 --startest 8' ||
  fail "the window does not show its options; it shows: $(shown_command)"

# Alt+S: the spherical aberration's box; a new value, typed as a person types it.
xdotool windowfocus --sync "$window"
xdotool key alt+s
xdotool key ctrl+a
xdotool type --delay 50 '0.25'
eventually shows '--spherical 0.25 ' || fail "typing 0.25 did not recompute; the window shows: $(shown_command)"
[[ -n $shots ]] && import -window "$window" "$shots/e2e-lab.png"

xdotool key ctrl+shift+c
eventually clipboard_holds_the_shown_command || fail "the clipboard holds '$(clipboard)', not '$(shown_command)'"
command=$(clipboard)
echo "copied: $command"
[[ $command == 'diffrascope-render '*' --output sheet.png' ]] || fail "not a renderer command: $command"
(cd "$work" && eval "\"$renderer\" ${command#diffrascope-render }") || fail "the copied command failed"
eventually panels_match_the_sheet || fail "the panels on screen differ from the renderer's sheet"

xdotool windowfocus --sync "$window"
xdotool key ctrl+q
eventually app_ended || fail "Ctrl+Q did not end the program"
status=0
wait "$app_pid" || status=$?
app_pid=''
[[ $status -eq 0 ]] || fail "the program ended with status $status: $(cat "$work/stderr")"

start_lab --spherical 11
eventually window_appeared || fail "no message box for --spherical 11"
grep -qF "diffrascope-lab: --spherical '11' is out of range; --spherical accepts -10 to 10 waves." "$work/stderr" ||
  fail "not the renderer's message: $(cat "$work/stderr")"
xdotool windowfocus --sync "$(titled_windows | head -n1)"
xdotool key Return
eventually app_ended || fail "the message box did not close with Enter"
status=0
wait "$app_pid" || status=$?
app_pid=''
[[ $status -eq 2 ]] || fail "a refused command line ended with status $status, not 2"
echo PASS
