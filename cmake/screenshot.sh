#!/usr/bin/env bash
# Under an X server of its own (DISPLAY set by xvfb-run): shows quillory.exe
# in Wine's virtual desktop, which draws the window frame and caption itself,
# waits until the dialog is drawn, saves a picture of the screen, and closes
# the dialog with Cancel (Escape).
#   screenshot.sh EXE PICTURE [DESKTOP_SIZE [DPI]]
# A DPI other than 96 is Wine's LogPixels, for this run only. SCREENSHOT_KEYS,
# when set, are pressed once the dialog is drawn (to open another dialog
# over it), and that dialog is closed with Escape as well.
set -eu
exe=$1
picture=$2
size=${3:-800x600}
dpi=${4:-96}

desktop='HKCU\Control Panel\Desktop'
if [ "$dpi" != 96 ]; then
  wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  # Whatever happens, the prefix goes back to 96 DPI for `make run`.
  trap 'wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true' EXIT
fi
wine explorer /desktop=Quillory,"$size" "$exe" </dev/null >/dev/null 2>&1 &
runner=$!

# The dialog is drawn once the screen shows more than the desktop's colour.
for _ in $(seq 1 120); do
  sleep 0.5
  colours=$(import -window root png:- 2>/dev/null | convert - -format '%k' info: 2>/dev/null || echo 0)
  [ "${colours:-0}" -gt 50 ] && break
done
sleep 1  # let the list and the fields finish painting
keys=${SCREENSHOT_KEYS:-}
for key in $keys; do
  xdotool key "$key"
  sleep 0.5
done
[ -n "$keys" ] && sleep 2
import -window root -crop "$size+0+0" +repage "$picture"

[ -n "$keys" ] && { xdotool key Escape; sleep 1; }
xdotool key Escape
for _ in $(seq 1 40); do
  kill -0 "$runner" 2>/dev/null || break
  sleep 0.25
done
wineserver -k 2>/dev/null || true
wait "$runner" 2>/dev/null || true
