#!/usr/bin/env bash
# Prepares and serves the private Wine prefix that tests and `make run` use.
#   wine-prefix.sh start PREFIX   create the prefix once, start one persistent wineserver
#   wine-prefix.sh stop PREFIX    shut that wineserver (and its services) down
#   wine-prefix.sh prepare-run PREFIX
#                                 create a prefix for running the program on a
#                                 display, as a new account: no SearchUrl key
#
# Every Wine process started here has its standard streams detached: Wine's
# background services inherit them and live on, and a test runner would wait
# for those pipes to close.
set -eu
action=$1
export WINEPREFIX=$2
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"
log="$WINEPREFIX.log"

detached() { "$@" </dev/null >>"$log" 2>&1; }

# True when this prefix's desktop process runs (read from /proc, so that
# nothing beyond Wine is needed).
desktop_running() {
  local process
  for process in /proc/[0-9]*; do
    tr '\0' ' ' <"$process/cmdline" 2>/dev/null | grep -q 'explorer.exe /desktop' &&
      tr '\0' '\n' <"$process/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      return 0
  done
  return 1
}

# Debian's Wine does not find its own Tahoma and Marlett (package fonts-wine)
# where it installs them; in the prefix's font folder it does. Without them
# dialogs are measured and drawn with a stand-in font.
copy_fonts() {
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
}

create_prefix() {
  mkdir -p "$WINEPREFIX"
  detached wine wineboot --init
  # The null driver lets windows, dialogs and list views work without a display.
  detached wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  # Restart so that no process started by the first boot keeps another driver.
  detached wineserver -k || true
  detached wineserver -w || true
  touch "$WINEPREFIX/.quillory-ready"
}

# A prefix for the program on a real (or virtual X) display: the usual
# graphics driver, and no SearchUrl key, as on a new account.
prepare_run() {
  [ -f "$WINEPREFIX/.quillory-ready" ] && return
  mkdir -p "$WINEPREFIX"
  detached wine wineboot --init
  copy_fonts
  detached wineserver -w || true
  touch "$WINEPREFIX/.quillory-ready"
}

case "$action" in
  start)
    [ -f "$WINEPREFIX/.quillory-ready" ] || create_prefix
    copy_fonts
    detached wineserver -p || true   # already running is fine
    # A test that runs a child at another DPI sets it for the child only; one
    # that was killed on the way may have left it behind.
    detached wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f || true
    detached wine wineboot            # starts the prefix's services, detached
    # A desktop process that stays: otherwise each program that makes a window
    # starts one, which lingers a second after it, holding the test's pipes.
    # It must be up before the first test, or that test makes a desktop of its
    # own, this one gives way, and every test pays the second.
    setsid wine explorer.exe /desktop </dev/null >>"$log" 2>&1 &
    for _ in $(seq 1 100); do
      desktop_running && break
      sleep 0.1
    done
    sleep 0.5  # from running to owning the desktop
    ;;
  prepare-run)
    prepare_run
    ;;
  stop)
    detached wineserver -k || true
    ;;
  *)
    echo "usage: $0 start|stop|prepare-run PREFIX" >&2
    exit 2
    ;;
esac
