#!/usr/bin/env bash
# CPU time of Keyloom.exe under Wine while the lighting preview runs: SECONDS
# (default 30) with the main window shown, then as long hidden, then
# minimised. Keyloom runs on the simulated keyboard B with effect 13 (the
# reaction effect, the busiest preview step; KEYLOOM_CPU_MODE chooses
# another) and the lighting view on (KEYLOOM_CPU_VIEW=off: off, the window as
# most users leave it).
# `./dev bench` runs it after the Windows build; it prints the share of one
# core and saves a screenshot of the shown window in build/bench-cpu/.
#   bench/keyloom_cpu.sh [SECONDS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$ROOT/build
WORK=$BUILD/bench-cpu
export WINEDEBUG=-all
export WINEPREFIX=$BUILD/win/wineprefix
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# Runs inside its own Xvfb: start Keyloom, show, hide, minimise, measure.
measure() {
  local secs=$1
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  KEYLOOM_SIMULATE=B KEYLOOM_SIM_STATE=$(winepath -w "$WORK/sim") wine "$BUILD/win/Keyloom.exe" \
    >"$WORK/keyloom.log" 2>&1 &
  local program=$!
  local hz
  hz=$(getconf CLK_TCK)
  # user + system time of the program's process, in clock ticks
  ticks() { awk '{ print $14 + $15 }' "/proc/$program/stat"; }
  # The same time to the nanosecond, as the scheduler keeps it, summed over
  # the threads. The ticks are samples taken at each timer interrupt, and a
  # program that wakes on 50 ms timers, in step with them, can be charged
  # far more or less than it ran.
  nanoseconds() { cat /proc/"$program"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%.0f", n }'; }
  share() {  # label
    local before after ns_before ns_after
    before=$(ticks)
    ns_before=$(nanoseconds)
    sleep "$secs"
    after=$(ticks)
    ns_after=$(nanoseconds)
    awk -v a="$before" -v b="$after" -v na="$ns_before" -v nb="$ns_after" -v hz="$hz" -v s="$secs" -v l="$1" \
      'BEGIN { printf "Keyloom.exe %-9s %6.2f %% of one core (%.1f ms run in %d s; ticks: %d of 1/%d s, %.2f %%)\n",
               l, (nb - na) / 1e9 / s * 100, (nb - na) / 1e6, s, b - a, hz, (b - a) / hz / s * 100 }'
  }
  # The window shows itself when the keyboard arrives; show it if it does not.
  if ! wine "$BUILD/win/tools/winshot.exe" "$(winepath -w "$WORK/shown.bmp")" 20000 >/dev/null; then
    wine "$BUILD/win/tools/winshow.exe" show 1000 >/dev/null || { echo "keyloom_cpu: no main window" >&2; return 1; }
  fi
  tr '\0' ' ' <"/proc/$program/cmdline" | grep -q 'Keyloom.exe' ||
    { echo "keyloom_cpu: process $program is not Keyloom.exe" >&2; return 1; }
  sleep 3  # start-up work and the first paints are not the preview's
  wine "$BUILD/win/tools/winshot.exe" "$(winepath -w "$WORK/shown.bmp")" 5000 >/dev/null || true
  share shown
  wine "$BUILD/win/tools/winshow.exe" hide 1000 >/dev/null
  sleep 2
  share hidden
  wine "$BUILD/win/tools/winshow.exe" show 1000 >/dev/null
  wine "$BUILD/win/tools/winshow.exe" minimize 1000 >/dev/null
  sleep 2
  share minimised
  wineserver -k 2>/dev/null || true
  wait "$program" 2>/dev/null || true
  convert "$WORK/shown.bmp" "$WORK/shown.png" 2>/dev/null && rm -f "$WORK/shown.bmp" && echo "screenshot: $WORK/shown.png"
}

if [ "${1:-}" = __measure ]; then
  measure "$2"
  exit
fi

secs=${1:-30}
for f in "$BUILD/win/Keyloom.exe" "$BUILD/win/tools/winshow.exe" "$BUILD/host/tools/ctl/keyloomctl"; do
  [ -x "$f" ] || { echo "keyloom_cpu: $f is not built" >&2; exit 2; }
done
rm -rf "$WORK"
mkdir -p "$WORK/sim"
"$BUILD/host/tools/ctl/keyloomctl" --simulate B --sim-state "$WORK/sim" lighting set --mode ${KEYLOOM_CPU_MODE:-13} --colourful on >/dev/null

# The lighting view is a per-user setting in the prefix: on for the run, and
# afterwards as it was.
user_dir="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Valdric RGB Mechanical Keyboard"
setting="$user_dir/wskb.ini"
if [ ! -d "$user_dir" ]; then
  mkdir -p "$user_dir"
  for p in 0 1 2; do cp "$ROOT/assets/Skins/UserDengColor_3.userd" "$user_dir/UserDengColor_$p.userd"; done
fi
[ -f "$setting" ] && cp "$setting" "$WORK/wskb.ini.saved"
restore() {
  if [ -f "$WORK/wskb.ini.saved" ]; then cp "$WORK/wskb.ini.saved" "$setting"; else rm -f "$setting"; fi
}
trap restore EXIT
view=1
[ "${KEYLOOM_CPU_VIEW:-on}" = off ] && view=0
printf '[KEYCOLOR]\r\nDengCheck=%d\r\n' "$view" >"$setting"

xvfb-run -a -s "-screen 0 1280x1024x24" "$0" __measure "$secs"
