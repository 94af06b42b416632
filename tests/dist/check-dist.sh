#!/usr/bin/env bash
# `make dist` as a Windows user gets it: the zip holds exactly the program
# and its two texts (the licence with the notices of what it contains), the program has no link time stamp, and a second run
# a second later gives the same bytes.
#   check-dist.sh EXE SOURCE_DIR WORK_DIR
set -eu
exe=$1
source=$2
work=$3
fail() { echo "FAILED: $*" >&2; exit 1; }

make_dist="$source/cmake/make-dist.sh"
zip=$("$make_dist" "$exe" "$source" "$work/first")
sleep 1
"$make_dist" "$exe" "$source" "$work/second" >/dev/null
cmp "$zip" "$work/second/$(basename "$zip")" || fail "two runs gave different zips"
cmp "$work/first/SHA256SUMS" "$work/second/SHA256SUMS" || fail "two runs gave different sums"
(cd "$work/first" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match"

listed=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$listed" = "LICENSE.txt README.txt quillory.exe " ] || fail "the zip holds: $listed"

unzip -q -o "$zip" -d "$work/unpacked"
program="$work/unpacked/quillory.exe"
cmp "$program" "$exe" || fail "the zip's program is not the one built"
pe=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$program" | tr -d ' ')
[ "$stamp" = 0 ] || fail "the program carries the link time stamp $stamp"
grep -q $'\r$' "$work/unpacked/README.txt" || fail "README.txt has no Windows line ends"
# What the program is built with travels with it.
grep -q 'JSON for Modern C++' "$work/unpacked/LICENSE.txt" || fail "LICENSE.txt lacks the JSON library's notice"
echo "dist: $(basename "$zip") holds $listed; $(cut -c1-16 "$work/first/SHA256SUMS")..."
