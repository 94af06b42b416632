#!/usr/bin/env bash
# Runs a Windows program in the build's private Wine prefix (the first
# argument). CTest uses this as the emulator for every cross-compiled test.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
# Mono and Gecko would otherwise offer to install themselves, and the menu
# builder would write launchers into the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Quiet unless the developer asks for Wine's tracing.
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
