#!/usr/bin/env bash
# `make dist`: the zip a Windows user takes, and its checksum.
#   make-dist.sh EXE CLI_EXE SOURCE_DIR OUT_DIR
# The same commit always gives the same bytes: neither program carries a link
# time stamp, and every file in the zip the commit's time, in UTC.
set -eu
exe=$(readlink -f "$1")
cli=$(readlink -f "$2")
source=$(readlink -f "$3")
out=$4

version=$(sed -n 's/^project(Quillory VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
name="quillory-$version-win64"
stamp=$(git -C "$source" log -1 --format=%ct 2>/dev/null || echo 1767225600)

rm -rf "$out"
mkdir -p "$out/files"
cp "$exe" "$out/files/quillory.exe"
cp "$cli" "$out/files/quillory-cli.exe"
# Texts with Windows' line ends, for Notepad.
sed 's/$/\r/' "$source/docs/README.txt" >"$out/files/README.txt"
sed 's/$/\r/' "$source/LICENSE" >"$out/files/LICENSE.txt"
chmod 644 "$out"/files/*
touch -d "@$stamp" "$out"/files/*
(cd "$out/files" && TZ=UTC zip -X -q "../$name.zip" quillory.exe quillory-cli.exe README.txt LICENSE.txt)
rm -rf "$out/files"
(cd "$out" && sha256sum "$name.zip" >SHA256SUMS)
echo "$out/$name.zip"
