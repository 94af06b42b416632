#!/usr/bin/env bash
# Runs inside an X server of its own (DISPLAY set by xvfb-run): uses
# quillory.exe as a person would, with keyboard and mouse, then checks that
# the SearchUrl key holds exactly what was done. Screenshots of each step go
# to SHOTS_DIR. MAKE_PROFILES leaves browser profiles in the user's folders;
# CLI is quillory-cli.exe.
#   drive-quillory.sh EXE PREFIX SHOTS_DIR EXPECTED MAKE_PROFILES CLI
set -eu
[ -n "${E2E_TRACE:-}" ] && { PS4='+ $(date +%T.%N | cut -c1-12) '; set -x; }
exe=$1
export WINEPREFIX=$2
shots=$3
expected=$4
make_profiles=$5
cli=$6
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEDEBUG="${WINEDEBUG:--all}"
key='HKCU\Software\Microsoft\Internet Explorer\SearchUrl'
mkdir -p "$shots"

fail() { echo "FAILED: $*" >&2; import -window root "$shots/failure.png" 2>/dev/null || true; exit 1; }
shot() { import -window root "$shots/$1.png"; }
pause() { sleep 0.4; }
press() { xdotool key --delay 120 "$@"; pause; }
type_text() { xdotool type --delay 60 "$1"; pause; }

visible_window() {  # visible_window TITLE TRIES: prints its id once it shows, or nothing
  local found=""
  for _ in $(seq 1 "$2"); do
    found=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -1 || true)
    [ -n "$found" ] && break
    sleep 0.25
  done
  echo "$found"
}

start_quillory() {  # sets program and window
  wine "$exe" </dev/null >/dev/null 2>&1 &
  program=$!
  window=$(visible_window Quillory 240)
  [ -n "$window" ] || fail "the dialog did not appear"
  sleep 1
  xdotool windowfocus --sync "$window"
  pause
}
wait_for_exit() {  # wait_for_exit WHAT
  for _ in $(seq 1 40); do
    kill -0 "$program" 2>/dev/null || return 0
    sleep 0.25
  done
  fail "$1 did not close the dialog"
}

# A first run on a new account, where nothing has made the SearchUrl key: no
# box, and the defaults are stored at once, even when the user cancels.
wine reg delete "$key" /f >/dev/null 2>&1 || true
start_quillory
press Escape
wait_for_exit "Escape"
stored=$(wine reg query "$key" 2>/dev/null | tr -d '\r' | grep -c 'SearchUrl\\' || true)
[ "$stored" = 7 ] || fail "the first run stored $stored prefixes, not the seven defaults"

# Another program adds a whole prefix whose URL no Western code page can
# hold; no save of Quillory's writes it again.
{
  printf '\xff\xfe'
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\%s\\RF]\r\n@="%s"\r\n%b' \
    'Software\Microsoft\Internet Explorer\SearchUrl' 'http://пример.рф/?q=%s' \
    '" "="+"\r\n"%"="%25"\r\n"&"="%26"\r\n"+"="%2B"\r\n' |
    iconv -f UTF-8 -t UTF-16LE
} >"$shots/rf.reg"
wine reg import "$shots/rf.reg" >/dev/null 2>&1 || fail "cannot import the RF prefix"

start_quillory

# Dialog units to screen pixels: the X window is the dialog's client area,
# 271 by 257 units.
eval "$(xdotool getwindowgeometry --shell "$window")"
click_at() {  # click_at X_UNITS Y_UNITS
  xdotool mousemove --sync $((X + $1 * WIDTH / 271)) $((Y + $2 * HEIGHT / 257)) click 1
  pause
}
# The list's rows, in pixels: under its header, 14 pixels apart (Tahoma at
# 8 points, as the prefix's fonts draw them).
click_row() {  # click_row INDEX
  xdotool mousemove --sync $((X + 16 * WIDTH / 271 + 20)) \
    $((Y + 28 * HEIGHT / 257 + 26 + 14 * $1)) click 1
  pause
}
shot 0-start

# Rename MOVIE (the fifth row) in place: a click selects it, a second,
# slower click on the selected label opens the editor.
click_row 4
sleep 1
xdotool click 1         # where the pointer is: a move there again would wait for nothing
sleep 1
type_text film
press Return
shot 1-renamed

# Update FILM's URL: the fields hold the selected row; retype the URL.
press Tab Tab
press End shift+Home
type_text 'http://www.imdb.com/find?q=%s'
press Return            # the default button, now reading "Update"
shot 2-updated

# Add DICT with a service chosen from the catalogue.
press shift+Tab
type_text dict
press Tab
press alt+Down
press Down Down Down Down Down Down Down Down Down
press Return            # the chosen label becomes its URL
pause
shot 3-chosen
press Return            # Add
shot 4-added

# Remove ALBUM, the first row: select it, then click Remove.
click_row 0
shot 5-selected
click_at 183 169        # Remove
shot 6-removed

click_at 142 242        # OK
wait_for_exit "OK"

# The key as the browser will see it.
wine reg export "$key" "$shots/searchurl.reg" /y >/dev/null 2>&1 || fail "cannot export the key"
# Every prefix section of a .reg file, without the header and blank lines.
prefix_sections() {  # prefix_sections REG_FILE
  iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' | awk '/^\[.*SearchUrl\\/ { inside = 1 } inside && NF'
}
prefix_sections "$shots/searchurl.reg" > "$shots/searchurl.txt"
diff -u "$expected" "$shots/searchurl.txt" || fail "the key differs from what was done"
echo "The SearchUrl key holds what was done: $(grep -c '^\[' "$shots/searchurl.txt") prefixes."

dialog_gone() {  # dialog_gone TITLE
  for _ in $(seq 1 40); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.25
  done
  fail "the \"$1\" dialog did not close"
}
focus_dialog() {  # focus_dialog TITLE: waits for a dialog and gives it the keyboard
  local found
  found=$(visible_window "$1" 40)
  [ -n "$found" ] || fail "no \"$1\" dialog appeared"
  xdotool windowfocus --sync "$found"
  pause
}

ok_after_import() {  # ok_after_import WHAT: closes the message box that counts what was imported, then OK
  press Return
  xdotool windowfocus --sync "$window"
  pause
  click_at 142 242
  wait_for_exit "OK after $1"
}

# A backup through the list's context menu (Shift+F10; the list has the
# focus at start) and the real Save As dialog.
backup='C:\quillory-backup.reg'
rm -f "$WINEPREFIX/drive_c/quillory-backup.reg"
start_quillory
press shift+F10
shot 7-context-menu
press e                  # Export...
focus_dialog "Save As"
press ctrl+a
type_text "$backup"
shot 8-save-as
press Return
dialog_gone "Save As"
shot 9-exported
prefix_sections "$WINEPREFIX/drive_c/quillory-backup.reg" > "$shots/backup.txt" ||
  fail "the export wrote no file"
diff -u "$expected" "$shots/backup.txt" || fail "the export differs from the table"

# Empty the table, then restore it through the system menu and the Open
# dialog; OK stores what was imported.
# One click, then Delete again and again: each leaves the next row selected.
xdotool windowfocus --sync "$window"
xdotool mousemove --sync "$X" "$Y"  # away first: a move to where the pointer is never ends
click_row 0
for _ in $(seq 1 "$(grep -c '^\[' "$expected")"); do
  press Delete
done
click_at 241 242         # Apply: the key is empty now
[ "$(wine reg query "$key" 2>/dev/null | tr -d '\r' | grep -c 'SearchUrl\\' || true)" = 0 ] ||
  fail "Apply did not empty the key"
shot 10-emptied
press alt+space
press i                  # Import prefixes...
focus_dialog "Open"
type_text "$backup"
press Return
dialog_gone "Open"
pause
shot 11-imported
ok_after_import "the import"
wine reg export "$key" "$shots/restored.reg" /y >/dev/null 2>&1 || fail "cannot export the key"
prefix_sections "$shots/restored.reg" > "$shots/restored.txt"
diff -u "$expected" "$shots/restored.txt" || fail "the restored key differs from the backup"
echo "Exported and imported again: $(grep -c '^\[' "$shots/restored.txt") prefixes."

# The search shortcuts of the user's Chrome and Firefox profiles, through
# the system menu: the dialog checks what is new (for WIKI, which both
# have, Chrome's, the first browser), Import takes it, OK stores it.
wine "$make_profiles" </dev/null >/dev/null 2>&1 || fail "could not leave browser profiles"
start_quillory
press alt+space
press b                  # Import from browser...
focus_dialog "Import from a browser"
shot 12-browser-import
press Return             # Import, the default button
dialog_gone "Import from a browser"
pause
shot 13-browser-imported
ok_after_import "the browser import"
wine reg export "$key" "$shots/browsers.reg" /y >/dev/null 2>&1 || fail "cannot export the key"
# NAME=URL of every prefix.
prefix_urls() {  # prefix_urls REG_FILE
  iconv -f UTF-16 -t UTF-8 "$1" | tr -d '\r' |
    awk -F'\\' '/^\[/ { name = "" } /^\[.*SearchUrl\\/ { name = $NF; sub(/]$/, "", name) }
                /^@=/ && name != "" { print name "=" substr($0, 3) }'
}
prefix_urls "$shots/browsers.reg" > "$shots/browsers.txt"
for imported in 'MDN="https://developer.mozilla.org/search?q=%s"' \
                'WIKI="https://en.wikipedia.org/w/index.php?search=%s"' \
                'КАРТА="https://yandex.ru/maps/?text=%s"'; do
  grep -qxF "$imported" "$shots/browsers.txt" || fail "the key lacks $imported"
done
[ "$(wc -l < "$shots/browsers.txt")" = $(($(grep -c '^\[' "$expected") + 3)) ] ||
  fail "the browser import stored more or less than its three prefixes"
echo "Imported from the browsers: MDN, WIKI and КАРТА."

# Export for Firefox: the Save As dialog's second type; the dialog adds
# its extension. Every prefix becomes a keyword bookmark.
firefox_file="$WINEPREFIX/drive_c/quillory-firefox.html"
rm -f "$firefox_file"
start_quillory
press shift+F10
press e                  # Export...
focus_dialog "Save As"
press Tab                # the type of file
press Down               # Bookmarks for browsers (*.html)
press shift+Tab
press ctrl+a
type_text 'C:\quillory-firefox'
shot 14-save-for-firefox
press Return
dialog_gone "Save As"
[ -f "$firefox_file" ] || fail "the export for Firefox wrote no .html file"
head -1 "$firefox_file" | grep -q '^<!DOCTYPE NETSCAPE-Bookmark-file-1>' || fail "not a bookmarks file"
[ "$(grep -c 'SHORTCUTURL=' "$firefox_file")" = "$(wc -l < "$shots/browsers.txt")" ] ||
  fail "the bookmarks file does not hold every prefix"
grep -qF '<DT><A HREF="https://yandex.ru/maps/?text=%s" SHORTCUTURL="карта">КАРТА</A>' "$firefox_file" ||
  fail "the bookmarks file lacks КАРТА as Firefox keeps keywords"
press Escape
wait_for_exit "Escape after the export for Firefox"
echo "Exported for Firefox: $(grep -c 'SHORTCUTURL=' "$firefox_file") keyword bookmarks."

# Other programs, reg.exe and quillory-cli.exe, change the key while the
# dialog is open: the list follows (an export shows the table), and OK keeps
# the changes. A second start shows the dialog and ends by itself. (Without a
# window manager Wine does not minimise; the restoring is tested with the
# dialogs.)
rm -f "$WINEPREFIX/drive_c/quillory-followed.reg"
start_quillory
wine reg add "$key\\LIVE" /ve /d 'http://live/?q=%s' /f >/dev/null 2>&1 || fail "reg add"
wine reg delete "$key\\DICT" /f >/dev/null 2>&1 || fail "reg delete"
wine "$cli" rename FILM movie </dev/null >/dev/null 2>&1 || fail "quillory-cli rename"
wine "$cli" add cli 'http://cli/?q=%s' </dev/null >/dev/null 2>&1 || fail "quillory-cli add"
sleep 1
press shift+F10
press e                  # Export...
focus_dialog "Save As"
press ctrl+a
type_text 'C:\quillory-followed.reg'
press Return
dialog_gone "Save As"
shot 15-followed
prefix_names() {  # prefix_names REG_FILE: every prefix's name, sorted, on one line
  prefix_sections "$1" | sed -n 's/^\[.*SearchUrl\\\(.*\)]$/\1/p' | LC_ALL=C sort | tr '\n' ' '
}
followed='ARTIST CLI GOOGLE IMAGE LIVE MDN MOVIE NEWS RF USENET WIKI КАРТА '
[ "$(prefix_names "$WINEPREFIX/drive_c/quillory-followed.reg")" = "$followed" ] ||
  fail "the list did not follow the key: $(prefix_names "$WINEPREFIX/drive_c/quillory-followed.reg")"
wine "$exe" </dev/null >/dev/null 2>&1 &
second=$!
for _ in $(seq 1 40); do kill -0 "$second" 2>/dev/null && sleep 0.25; done
kill -0 "$second" 2>/dev/null && fail "the second start did not end by itself"
wait "$second" || fail "the second start ended with code $?"
[ "$(xdotool search --onlyvisible --name '^Quillory$' | wc -l)" = 1 ] || fail "not one dialog"
xdotool windowfocus --sync "$window"
pause
click_at 142 242         # OK
wait_for_exit "OK after following the key"
wine reg export "$key" "$shots/followed.reg" /y >/dev/null 2>&1 || fail "cannot export the key"
[ "$(prefix_names "$shots/followed.reg")" = "$followed" ] ||
  fail "OK did not keep what the other programs did: $(prefix_names "$shots/followed.reg")"
echo "The open dialog followed reg.exe and quillory-cli.exe; a second start showed it and ended."
