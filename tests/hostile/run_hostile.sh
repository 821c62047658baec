#!/usr/bin/env bash
# Starts the program in a fresh folder and lets the hostile neighbour attack it
# (tests/hostile/hostile.cpp); the neighbour checks that it survives and ends it.
# Needs DISPLAY and a Wine prefix from the environment.
# Usage: run_hostile.sh path/to/hostile.exe path/to/quarnel.exe [seed]
set -uo pipefail

HOSTILE=${1:?usage: run_hostile.sh hostile.exe quarnel.exe [seed]}
EXE=${2:?usage: run_hostile.sh hostile.exe quarnel.exe [seed]}
SEED=${3:-}
SKIP=77

for tool in wine winepath; do
  command -v "$tool" >/dev/null || { echo "hostile: $tool not installed, skipping"; exit $SKIP; }
done
[ -n "${DISPLAY:-}" ] || { echo "hostile: no DISPLAY, skipping"; exit $SKIP; }
for f in "$HOSTILE" "$EXE"; do [ -f "$f" ] || { echo "hostile: $f not found"; exit 1; }; done

WORK=$(mktemp -d /tmp/qn-hostile.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
cp "$EXE" "$WORK/quarnel.exe"

args=(--start "$(winepath -w "$WORK/quarnel.exe" 2>/dev/null)")
[ -n "$SEED" ] && args+=(--seed "$SEED")
timeout 150 wine "$HOSTILE" "${args[@]}" </dev/null
rc=$?
[ $rc -eq 124 ] && echo "hostile: timed out"
exit $rc
