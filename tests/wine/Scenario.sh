# shellcheck shell=bash disable=SC2034,SC2154
# The steps of a Wine scenario that drives the programs through the test driver (sourced inside
# scripts/wine-run --command; out and driver must be set by the caller):
#   check WHAT COMMAND...   runs COMMAND; on failure says "FAIL: WHAT" and counts it
#   drive ARGUMENTS...      runs the driver; its output without carriage returns in
#                           $out/driver.txt
#   text_is TITLE ID TEXT   control ID of the window TITLE shows TEXT
#   shot WINDOW NAME        a screenshot of WINDOW (a title, or root) as $out/NAME.png
# failures holds the count; a scenario ends with: exit $((failures != 0)).

failures=0

check() {
  local what=$1
  shift
  if ! "$@"; then
    echo "FAIL: $what" >&2
    failures=$((failures + 1))
  fi
}

# No pipe from a Wine program: the desktop process it may start keeps the pipe open.
drive() {
  "$WINE" "$driver" "$@" >"$out/driver.log" 2>&1
  local status=$?
  tr -d '\r' <"$out/driver.log" >"$out/driver.txt"
  return $status
}

text_is() {
  drive text "$1" "$2" && [[ $(cat "$out/driver.txt") == "$3" ]] ||
    { echo "\"$1\" control $2: \"$(cat "$out/driver.txt")\", not \"$3\"" >&2 && return 1; }
}

shot() { import -window "$1" "$out/$2.png" 2>/dev/null || echo "no screenshot of $2" >&2; }

# guest_desktop: inside a User-Mode Linux guest, an X server of its own (the host's cannot be
# reached from inside), Y: and Y:: linked to the guest's mount and block device, and the Wine
# server started once for every run. The guest's /tmp is the host's: its socket folder is
# hidden behind a tmpfs, but the display's lock file is shared, and one left by an earlier
# guest (whose process numbers mean nothing here) would keep Xvfb from starting. So each guest
# takes a display number of its own, far above the host's, clears its lock first and removes it
# again at the end (guest_desktop_end).
guest_desktop() {
  mount -t tmpfs -o size=1m bw-x11 /tmp/.X11-unix || return 3
  guest_display=$((200 + RANDOM % 800))
  rm -f "/tmp/.X$guest_display-lock"
  Xvfb ":$guest_display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  guest_xvfb=$!
  local _
  for _ in $(seq 300); do [ -S "/tmp/.X11-unix/X$guest_display" ] && break; sleep 0.1; done
  [ -S "/tmp/.X11-unix/X$guest_display" ] || { echo "Xvfb did not start in the guest" >&2 && return 3; }
  export DISPLAY=:$guest_display
  ln -sfn "$BW_UML_MOUNT" "$WINEPREFIX/dosdevices/y:" &&
    ln -sfn "$BW_UML_DEVICE" "$WINEPREFIX/dosdevices/y::" || return 3
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
}

guest_desktop_end() {
  "$WINESERVER" -k 2>/dev/null
  kill "$guest_xvfb" 2>/dev/null && wait "$guest_xvfb" 2>/dev/null
  rm -f "/tmp/.X$guest_display-lock"
}
