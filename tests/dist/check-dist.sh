#!/usr/bin/env bash
# `make dist` as a Windows user gets it: the zip holds exactly the two
# programs, the dialog and the command line, and their two texts (the
# licence with the notices of what they contain), neither program has a link
# time stamp, and a second run a second later gives the same bytes.
#   check-dist.sh EXE CLI_EXE SOURCE_DIR WORK_DIR
set -eu
exe=$1
cli=$2
source=$3
work=$4
fail() { echo "FAILED: $*" >&2; exit 1; }

make_dist="$source/cmake/make-dist.sh"
zip=$("$make_dist" "$exe" "$cli" "$source" "$work/first")
sleep 1
"$make_dist" "$exe" "$cli" "$source" "$work/second" >/dev/null
cmp "$zip" "$work/second/$(basename "$zip")" || fail "two runs gave different zips"
cmp "$work/first/SHA256SUMS" "$work/second/SHA256SUMS" || fail "two runs gave different sums"
(cd "$work/first" && sha256sum -c --quiet SHA256SUMS) || fail "SHA256SUMS does not match"

listed=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "LICENSE.txt README.txt quillory-cli.exe quillory.exe " ] || fail "the zip holds: $listed"

rm -rf "$work/unpacked"
unzip -q "$zip" -d "$work/unpacked"
for built in "$exe" "$cli"; do
  program="$work/unpacked/$(basename "$built")"
  cmp "$program" "$built" || fail "the zip's $(basename "$built") is not the one built"
  pe=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
  stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$program" | tr -d ' ')
  [ "$stamp" = 0 ] || fail "$(basename "$built") carries the link time stamp $stamp"
done
grep -q $'\r$' "$work/unpacked/README.txt" || fail "README.txt has no Windows line ends"
# What the programs are built with travels with them.
grep -q 'JSON for Modern C++' "$work/unpacked/LICENSE.txt" || fail "LICENSE.txt lacks the JSON library's notice"
echo "dist: $(basename "$zip") holds $listed; $(cut -c1-16 "$work/first/SHA256SUMS")..."
