#!/usr/bin/env bash
# `make run`: starts quillory.exe under Wine.
#   run-quillory.sh EXE BUILD_DIR
# Uses $WINEPREFIX when set (and prepares nothing there); otherwise a prefix
# of its own under the build folder, which starts as a new account's, with no
# SearchUrl key. With a display the program runs until it
# is closed; without one it runs under Xvfb, a screenshot goes to
# BUILD_DIR/quillory.png, and the dialog is closed with Cancel.
set -eu
exe=$(readlink -f "$1")
build=$(readlink -f "$2")
here=$(dirname "$(readlink -f "$0")")

export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX="$build/wineprefix-run"
  "$here/wine-prefix.sh" prepare-run "$WINEPREFIX"
fi

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe"
fi

picture="$build/quillory.png"
echo "No display: running Quillory under Xvfb for a screenshot."
xvfb-run -a -s "-screen 0 1024x768x24" "$here/screenshot.sh" "$exe" "$picture"
echo "Screenshot of the dialog: $picture"
