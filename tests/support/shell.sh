# Helpers shared by the shell tests that drive the real programs; sourced, not run.

readonly skip=77 # ctest's skip code
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

screen_answers() { xdotool getdisplaygeometry >/dev/null 2>&1; }

# Starts a virtual screen of WIDTHxHEIGHT (24 bits) on a free display and waits
# until X clients reach it. Needs $work; sets xvfb_pid, display and DISPLAY.
# -noreset: without it the server resets when its last client leaves, and a
# program that connects just after the probe below is refused.
start_screen() {
  local size=${1:-1024x768}
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  eventually test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  display=":$(head -n1 "$work/display")"
  export DISPLAY=$display
  eventually screen_answers || fail "no X client can reach $display"
}
