#!/bin/sh
# Drives the built skintool: build, unpack/pack round trip, errors, info,
# preview, render and sheet.
# usage: skintool_cli.sh SKINTOOL SOURCE_DIR WORK_DIR
set -u
tool=$1 src=$2 work=$3
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

rm -rf "$work" && mkdir -p "$work" || exit 1

"$tool" build "$work/built.asz" || fail "build exited non-zero"
cmp -s "$work/built.asz" "$src/skins/AlterMetro.asz" || fail "build differs from skins/AlterMetro.asz"

"$tool" unpack "$src/skins/AlterMetro.asz" "$work/unpacked" || fail "unpack exited non-zero"
"$tool" pack "$work/unpacked" "$work/repacked.asz" || fail "pack exited non-zero"
cmp -s "$work/repacked.asz" "$src/skins/AlterMetro.asz" || fail "unpack then pack is not identical"
cmp -s "$work/unpacked/Options.dat" "$src/skins/AlterMetro/Options.dat" || fail "unpacked options differ from the source"

# Without the order record "Options.dat" still comes first.
rm "$work/unpacked/.entry-order"
"$tool" pack "$work/unpacked" "$work/noorder.asz" || fail "pack without order exited non-zero"
"$tool" unpack "$work/noorder.asz" "$work/noorder" || fail "unpack of the unordered package failed"
[ "$(head -n 1 "$work/noorder/.entry-order")" = "Options.dat" ] || fail "options not first without an order record"

printf 'ASzfjunk' > "$work/corrupt.asz"
head -c 3000 "$src/skins/AlterMetro.asz" > "$work/truncated.asz"
printf 'NOTASKIN' > "$work/notaskin.asz"

if "$tool" unpack "$work/truncated.asz" "$work/t" 2> "$work/err.txt"; then fail "unpack of a truncated package succeeded"; fi
grep -q "truncated" "$work/err.txt" || fail "unpack of a truncated package gave no clear message: $(cat "$work/err.txt")"
if "$tool" frobnicate 2> /dev/null; then fail "unknown command succeeded"; fi

"$tool" info "$src/skins/AlterMetro.asz" > "$work/info.txt" || fail "info exited non-zero"
grep -q "67 sections" "$work/info.txt" || fail "info does not report 67 sections"
"$tool" info "$src/skins/AlterMetro.asz" --json > "$work/info.json" || fail "info --json exited non-zero"
grep -q '"ClassName":"TB_BTN"' "$work/info.json" || fail "json lacks the last section"
grep -q '"CommonSkinData":{' "$work/info.json" || fail "json lacks CommonSkinData"
"$tool" info "$work/unpacked" > /dev/null || fail "info on an unpacked folder failed"
for bad in corrupt truncated notaskin; do
  if "$tool" info "$work/$bad.asz" > /dev/null 2> "$work/err.txt"; then fail "info on $bad package exited 0"; fi
  [ -s "$work/err.txt" ] || fail "info on $bad package printed no message"
done
grep -qi "not a packed skin" "$work/err.txt" || fail "bad magic message unclear: $(cat "$work/err.txt")"
"$tool" preview "$src/skins/AlterMetro.asz" "$work/preview.png" || fail "preview exited non-zero"
[ "$(head -c 4 "$work/preview.png" | tail -c 3)" = "PNG" ] || fail "preview is not a PNG"

# render: each bad request exits 1 with its message and writes nothing.
while IFS='|' read -r args message; do
  # shellcheck disable=SC2086
  if "$tool" render "$src/skins/AlterMetro.asz" $args "$work/bad.png" 2> "$work/err.txt"; then fail "render $args succeeded"
  elif [ $? -ne 1 ]; then fail "render $args: exit code not 1"; fi
  grep -qF "$message" "$work/err.txt" || fail "render $args: message '$(cat "$work/err.txt")' lacks '$message'"
  [ ! -e "$work/bad.png" ] || fail "render $args wrote a file"
done <<'CASES'
--section NOSUCH --size 10x10|unknown section 'NOSUCH'
--section EDIT --size 0x10|bad size '0x10'
--section EDIT --size -5x10|bad size '-5x10'
--section EDIT --size 10x4097|bad size '10x4097'
--section EDIT --size wide|bad size 'wide'
--section EDIT --size 10x10 --state -1|bad state '-1'
--section EDIT --size 10x10 --state one|bad state 'one'
CASES
"$tool" render "$work/unpacked" --section EDIT --size 129x26 --state 5 "$work/edit.png" || fail "render from a folder failed"
"$tool" sheet "$src/skins/AlterMetro.asz" "$work/sheet.png" || fail "sheet exited non-zero"
# IHDR width and height, big-endian, at bytes 16..23.
[ "$(od -An -tu1 -j16 -N8 "$work/sheet.png" | tr -s ' ')" = " 0 0 5 140 0 0 17 124" ] ||
  fail "sheet is not 1420 x 4476: $(od -An -tu1 -j16 -N8 "$work/sheet.png")"
"$tool" --help 2>&1 | grep -q "past the section's last" || fail "usage does not say that states are clamped"
if [ $fails -eq 0 ]; then echo "skintool command line: all checks passed"; fi
exit $fails
