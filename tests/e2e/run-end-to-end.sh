#!/usr/bin/env bash
# The end-to-end test: quillory.exe in an X server of its own, in a Wine
# prefix of its own with the usual graphics driver, driven with xdotool.
#   run-end-to-end.sh EXE WORK_DIR MAKE_PROFILES_EXE CLI_EXE
set -eu
here=$(dirname "$(readlink -f "$0")")
exe=$(readlink -f "$1")
work=$2
profiles=$(readlink -f "$3")
cli=$(readlink -f "$4")
prefix="$work/wineprefix"
mkdir -p "$work"

"$here/../../cmake/wine-prefix.sh" prepare-run "$prefix"
cleanup() { WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; }
trap cleanup EXIT

xvfb-run -a -s "-screen 0 1024x768x24" \
  "$here/drive-quillory.sh" "$exe" "$prefix" "$work/shots" "$here/expected-searchurl.txt" "$profiles" "$cli"
