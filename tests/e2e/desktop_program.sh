#!/usr/bin/env bash
# The real Diffrascope on a virtual 1024 x 768 x 24 screen, driven like a user:
# the window appears centred with a white centre in its picture, a key on a
# focused scroll bar redraws the picture, About opens by its accelerator and
# closes with Enter, File > Exit ends the program with status 0.
# Usage: desktop_program.sh PATH/TO/Diffrascope [SCREENSHOT_DIR]
set -euo pipefail

program=${1:?usage: desktop_program.sh PATH/TO/Diffrascope [SCREENSHOT_DIR]}
shots=${2:-}
readonly screen_width=1024 screen_height=768
# Where the picture's centre lies in the client area: Image1 at 288, 56, its centre pixel at 128, 128.
readonly picture_left=288 picture_top=56 picture_side=256 client_height=329

. "$(dirname "$0")/../support/shell.sh"
need_tools Xvfb xdotool import convert

work=$(mktemp -d)
xvfb_pid='' app_pid=''
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

titled_windows() { xdotool search --onlyvisible --name '^Diffrascope$' 2>/dev/null || true; }
count_titled() { titled_windows | grep -c . || true; }
has_titled_count() { [[ $(count_titled) -eq $1 ]]; }

screenshot() { import -window root "$1"; }
# "#RRGGBB" of one screen pixel in a screenshot.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -n1; }
# A fingerprint of the picture's pixels in a screenshot.
picture_hash() { convert "$1" -crop "${picture_side}x${picture_side}+$picture_x+$picture_y" +repage -format '%#' info:; }

centre_is_white() {
  screenshot "$work/start.png"
  [[ $(pixel "$work/start.png" "$centre_x" "$centre_y") == '#FFFFFF' ]]
}

picture_changed() {
  screenshot "$work/after.png"
  [[ $(picture_hash "$work/after.png") != "$before" ]]
}

app_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
has_focus() { [[ $(xdotool getwindowfocus 2>/dev/null) == "$1" ]]; }

unset QT_QPA_PLATFORM WAYLAND_DISPLAY # the real X11 window, not an offscreen one
start_screen "${screen_width}x${screen_height}"
"$program" >"$work/stdout" 2>"$work/stderr" &
app_pid=$!

eventually has_titled_count 1 || fail "the window did not appear"
main_window=$(titled_windows | head -n1)
eval "$(xdotool getwindowgeometry --shell "$main_window")" # X, Y, WIDTH, HEIGHT
echo "window at $X,$Y, $WIDTH x $HEIGHT"
expected_x=$((screen_width / 2 - WIDTH / 2))
expected_y=$((screen_height / 2 - HEIGHT / 2))
[[ $X -eq $expected_x && $Y -eq $expected_y ]] || fail "window at $X,$Y, not centred at $expected_x,$expected_y"

# The client area lies below the menu bar, at the bottom of the window.
picture_x=$((X + picture_left))
picture_y=$((Y + HEIGHT - client_height + picture_top))
centre_x=$((picture_x + picture_side / 2))
centre_y=$((picture_y + picture_side / 2))
eventually centre_is_white || fail "picture centre is $(pixel "$work/start.png" "$centre_x" "$centre_y"), not white"
[[ -n $shots ]] && cp "$work/start.png" "$shots/e2e-start.png"

# The first Tab stop is Edit1; Tab moves on to ScrollBar1, End takes it to its maximum.
xdotool windowfocus --sync "$main_window"
before=$(picture_hash "$work/start.png")
xdotool key Tab
xdotool key End
eventually picture_changed || fail "the picture did not change after a key on the focused scroll bar"
[[ -n $shots ]] && cp "$work/after.png" "$shots/e2e-after-key.png"

xdotool key alt+v
xdotool key v
eventually has_titled_count 2 || fail "About did not open"
about=$(titled_windows | grep -vx "$main_window" | head -n1)
# Enter must reach the box, so the box has to hold the keyboard focus first.
eventually has_focus "$about" || fail "About did not take the keyboard focus"
[[ -n $shots ]] && screenshot "$shots/e2e-about.png"
xdotool key Return
eventually has_titled_count 1 || fail "About did not close with Enter"

xdotool windowfocus --sync "$main_window"
xdotool key alt+f
xdotool key x
eventually app_ended || fail "File > Exit did not end the program"
status=0
wait "$app_pid" || status=$?
app_pid=''
[[ $status -eq 0 ]] || fail "the program ended with status $status"
echo "PASS"
