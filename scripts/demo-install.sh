#!/usr/bin/env bash
# Walks through the default installation on a virtual X server, as a user would: the
# installer runs on its own screen, xdotool presses its buttons through the X server, and
# a picture of the screen is taken at every step. Then it prints what was installed.
#
#   scripts/demo-install.sh BUILD_DIR
#
# Everything lands in BUILD_DIR/demo: the machine root the installer works on, the
# desktop-menu folders it writes to (not the real user's), and the pictures.
set -euo pipefail
build=$(cd "$1" && pwd)
setup="$build/setup/tessaly-setup"
demo="$build/demo"
shots="$demo/screens"
rm -rf "$demo"
mkdir -p "$shots" "$demo/root" "$demo/xdg-data" "$demo/xdg-config"
export PALLIMER_ROOT="$demo/root"
export XDG_DATA_HOME="$demo/xdg-data" XDG_CONFIG_HOME="$demo/xdg-config"

# The X server picks a free display and tells its number.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$demo/display" >"$demo/xvfb.log" 2>&1 &
xvfb=$!
installer=""
cleanup() {
  [ -n "$installer" ] && kill "$installer" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$demo/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$demo/display")"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

step=0
shot() {
  step=$((step + 1))
  local file
  file=$(printf '%s/%02d-%s.png' "$shots" "$step" "$1")
  import -window root "$file"
  echo "  picture: $file"
}

# The window with this title and client size (several windows share the title).
find_window() {
  local title=$1 w=$2 h=$3 id geometry
  for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
    geometry=$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')
    if [ "$geometry" = "${w}x${h}" ]; then echo "$id"; return 0; fi
  done
  return 1
}
wait_window() {
  local id
  for _ in $(seq 600); do
    if id=$(find_window "$@"); then echo "$id"; return 0; fi
    sleep 0.05
  done
  echo "demo: no window \"$1\" (${2}x${3}) appeared" >&2
  exit 1
}
# Any window with this title.
wait_title() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.05
  done
  echo "demo: no window \"$1\" appeared" >&2
  exit 1
}
wait_gone() {
  for _ in $(seq 600); do
    find_window "$@" >/dev/null || return 0
    sleep 0.05
  done
  echo "demo: window \"$1\" did not close" >&2
  exit 1
}
# Presses the point (x, y) of a window's client area with the left button.
press() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}

echo "Starting $setup on display $DISPLAY"
"$setup" >"$demo/installer.log" 2>&1 &
installer=$!

wait_window "Loading..." 249 77 >/dev/null
sleep 1.5
shot loading
wizard=$(wait_window "Tessaly v1.1 Pallimer" 473 330)
sleep 0.5
# Controls of the wizard, in its client coordinates (centres of the buttons).
next_x=427 next_y=308 cancel_x=45 cancel_y=308 browse_x=400 browse_y=219
shot welcome
press "$wizard" $next_x $next_y
shot licence
press "$wizard" $cancel_x $cancel_y
question=$(wait_title "Warning")
sleep 0.3
shot cancel-question
# The question has the keyboard: Escape answers No.
xdotool key Escape
sleep 0.3
press "$wizard" $next_x $next_y
shot destination
press "$wizard" $browse_x $browse_y
chooser=$(wait_window "Directory..." 305 247)
shot directory-chooser
press "$chooser" 259 84
creator=$(wait_window "New directory..." 305 247)
shot new-directory
press "$creator" 259 52
wait_gone "New directory..." 305 247
press "$chooser" 259 52
wait_gone "Directory..." 305 247
press "$wizard" $next_x $next_y
shot ready
press "$wizard" $next_x $next_y
shot installing
# The installation ends on the last page, where the button reads Finish.
sleep 2.5
shot finished
press "$wizard" $next_x $next_y
for _ in $(seq 200); do kill -0 "$installer" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$installer" 2>/dev/null; then
  echo "demo: the installer did not end" >&2
  exit 1
fi
wait "$installer" || { echo "demo: the installer failed:"; cat "$demo/installer.log"; exit 1; }
installer=""

dest="$PALLIMER_ROOT/drive_c/Program Files/Tessaly"
echo
echo "Installed into C:\\Program Files\\Tessaly ($dest):"
ls -l "$dest"
echo
echo "Registry:"
"$build/tools/pallimer-reg/pallimer-reg" query 'HKEY_USERS\.Default\Software\Corvane Works\Tessaly v1.1'
"$build/tools/pallimer-reg/pallimer-reg" query 'HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly v1.1'
echo
echo "Shortcuts in the Programs folder:"
programs=$(find "$PALLIMER_ROOT/drive_c" -type d -name 'Tessaly v1.1' | head -1)
for lnk in "$programs"/*.lnk; do
  echo "  $(basename "$lnk")"
  exiftool -s -LocalBasePath -WorkingDirectory -Description -IconFileName "$lnk" | sed 's/^/    /'
done
echo
echo "Temporary archive left behind: $(ls "$PALLIMER_ROOT/drive_c/WINDOWS/TEMP/setup.lzd" 2>/dev/null || echo none)"
echo "Pictures of every step: $shots"
