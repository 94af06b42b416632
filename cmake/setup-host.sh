#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those
# that are missing, so a second run costs nothing. fonts-wine brings Wine's own
# Tahoma and Marlett, which dialogs and window captions are drawn with; zip
# and unzip pack and check the release; nlohmann-json3-dev is the JSON library
# that the browser import reads Chromium's profile list with (header only, so
# the Windows build takes it as it is); npm, where the machine has none,
# fetches the package SQLite is taken from.
set -eu

packages="ca-certificates cmake g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine \
xvfb xauth xdotool imagemagick googletest fonts-wine zip unzip nlohmann-json3-dev"
command -v npm >/dev/null 2>&1 || packages="$packages npm"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
  as_root=""
elif command -v sudo >/dev/null 2>&1; then
  as_root="sudo"
else
  echo "These Debian packages are missing:$missing" >&2
  echo "Install them as root:  apt-get update && apt-get install -y$missing" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
$as_root apt-get update -q
# shellcheck disable=SC2086  # the list is meant to split into words
$as_root apt-get install -y -q --no-install-recommends $missing
