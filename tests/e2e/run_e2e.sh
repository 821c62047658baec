#!/usr/bin/env bash
# End-to-end run of the program as a user starts it: real X input drives the
# system colour chooser (scenarios 1-4, QUARNEL_SYSTEM_CHOOSER=1) and the
# skinned colour dialog (scenario 5), the clipboard is read from the Linux
# side, settings.ini is checked after exit. Needs DISPLAY and a Wine prefix
# from the environment.
# Usage: run_e2e.sh path/to/quarnel.exe
set -uo pipefail

EXE=${1:?usage: run_e2e.sh quarnel.exe}
SKIP=77
CHOOSER_TITLE='^Color$'

for tool in wine xdotool xclip xte display; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool not installed, skipping"; exit $SKIP; }
done
[ -n "${DISPLAY:-}" ] || { echo "e2e: no DISPLAY, skipping"; exit $SKIP; }
[ -f "$EXE" ] || { echo "e2e: $EXE not found"; exit 1; }

WORK=$(mktemp -d /tmp/qn-e2e.XXXXXX)
PID=
CLIP_PID=
OTHER_PID=
failures=0

cleanup() {
  xte 'keyup Shift_L' 'keyup Shift_R' 2>/dev/null || true
  if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then kill "$PID" 2>/dev/null; wait "$PID" 2>/dev/null; fi
  [ -n "$CLIP_PID" ] && kill "$CLIP_PID" 2>/dev/null
  [ -n "$OTHER_PID" ] && kill "$OTHER_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
START=$SECONDS
check_eq() {  # what, expected, actual
  if [ "$2" == "$3" ]; then echo "ok: $1 = '$3'"; else fail "$1: expected '$2', got '$3'"; fi
}

# Starts a fresh copy of the program in its own folder; $2 = settings.ini
# content or ""; $3 = "skinned" for the skinned dialog, else the system chooser.
start_program() {
  local dir=$1 settings=$2 system=1
  [ "${3:-}" == skinned ] && system=0
  rm -rf "$dir" && mkdir -p "$dir"
  cp "$EXE" "$dir/quarnel.exe"
  [ -n "$settings" ] && printf '%s' "$settings" >"$dir/settings.ini"
  (cd "$dir" && QUARNEL_SYSTEM_CHOOSER=$system exec wine "$dir/quarnel.exe" </dev/null >"$dir/out.log" 2>&1) &
  PID=$!
}

# Waits for the chooser window and prints its X id.
wait_chooser() {
  timeout 60 xdotool search --sync --onlyvisible --name "$CHOOSER_TITLE" 2>/dev/null | head -n1
}

# Types red, green and blue into the chooser's fields (Alt+R focuses the red
# field through its label; Tab moves on and selects the next field's text).
type_rgb() {  # window, r, g, b
  local w=$1
  timeout 20 xdotool windowfocus --sync "$w" || return 1
  sleep 0.3
  xdotool key --window "$w" --clearmodifiers alt+r
  sleep 0.2
  xdotool key ctrl+a && xdotool type --delay 50 "$2"
  xdotool key Tab && xdotool type --delay 50 "$3"
  xdotool key Tab && xdotool type --delay 50 "$4"
  sleep 0.3
}

confirm() { timeout 20 xdotool windowfocus --sync "$1" key Return; }

# Puts a marker on the clipboard so a stale value from an earlier run cannot pass.
reset_clipboard() {
  [ -n "$CLIP_PID" ] && kill "$CLIP_PID" 2>/dev/null
  printf 'e2e-marker' | timeout 120 xclip -quiet -i -selection clipboard >/dev/null 2>&1 &
  CLIP_PID=$!
  sleep 0.3
}

# Waits until the chooser window is gone (closing it takes a moment under Wine).
wait_chooser_gone() {  # window
  local i
  for ((i = 0; i < 150; i++)); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# Polls the clipboard for the expected text for up to 10 s; prints what it last read.
read_clipboard() {  # expected
  local i v=
  for ((i = 0; i < 50; i++)); do
    v=$(timeout 5 xclip -o -selection clipboard 2>/dev/null)
    [ "$v" == "$1" ] && break
    sleep 0.2
  done
  printf '%s' "$v"
}

wait_exit() {  # seconds
  local i
  for ((i = 0; i < $1 * 10; i++)); do
    kill -0 "$PID" 2>/dev/null || { wait "$PID" 2>/dev/null; PID=; return 0; }
    sleep 0.1
  done
  return 1
}

# The tool window: the program's visible window with the empty caption.
main_window() {
  local w
  for w in $(timeout 20 xdotool search --sync --onlyvisible --class 'quarnel.exe' 2>/dev/null); do
    if [ -z "$(xdotool getwindowname "$w" 2>/dev/null)" ]; then
      echo "$w"
      return
    fi
  done
}

settings_value() {  # dir, section, key
  tr -d '\r' <"$1/settings.ini" | awk -v s="[$2]" -v k="$3" '
    /^\[/ { in_s = ($0 == s); next }
    in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}

# ---- 1: first run, auto-close off: confirm a colour, read the clipboard,
#         close the window, check the written settings.
echo "== scenario 1: first run, confirm #3C3D3D, close by hand"
D1=$WORK/run1
reset_clipboard
start_program "$D1" ""
W=$(wait_chooser)
if [ -z "$W" ]; then
  fail "colour chooser did not appear"
else
  type_rgb "$W" 60 61 61 || fail "could not focus the chooser"
  confirm "$W" || fail "could not confirm the chooser"
  wait_chooser_gone "$W" || fail "chooser still open after Return"
  sleep 0.5
  if kill -0 "$PID" 2>/dev/null; then
    check_eq "clipboard" "#3C3D3D" "$(read_clipboard '#3C3D3D')"
    M=$(main_window)
    if [ -z "$M" ]; then
      fail "main window not found"
    else
      # First run: right edge of the screen, bottom on the work area (Xvfb has no task bar).
      eval "$(xdotool getwindowgeometry --shell "$M")"
      read -r SW SH < <(xdotool getdisplaygeometry)
      check_eq "window right edge" "$SW" "$((X + WIDTH))"
      check_eq "window bottom" "$SH" "$((Y + HEIGHT))"
      WX=$X WY=$Y
      # A click on the swatch opens the chooser again; Escape cancels and changes nothing.
      xdotool mousemove --sync $((X + 30)) $((Y + HEIGHT - 30)) click 1
      W2=$(wait_chooser)
      if [ -z "$W2" ]; then
        fail "click on the swatch did not open the chooser"
      else
        timeout 20 xdotool windowfocus --sync "$W2" key Escape
        wait_chooser_gone "$W2" || fail "chooser still open after Escape"
        sleep 0.5
        check_eq "clipboard after cancel" "#3C3D3D" "$(read_clipboard '#3C3D3D')"
      fi
      timeout 20 xdotool windowfocus --sync "$M" key alt+F4
    fi
    wait_exit 30 || fail "program did not exit after Alt+F4"
  else
    fail "program exited although AUTOCLOSE is off"
  fi
  if [ -f "$D1/settings.ini" ]; then
    check_eq "AUTOCLOSE" "0" "$(settings_value "$D1" SYS AUTOCLOSE)"
    check_eq "X" "${WX:-?}" "$(settings_value "$D1" POS X)"
    check_eq "Y" "${WY:-?}" "$(settings_value "$D1" POS Y)"
    check_eq "key order" "[POS] X Y [SYS] AUTOCLOSE" \
      "$(tr -d '\r' <"$D1/settings.ini" | sed -n 's/=.*//p; /^\[/p' | grep -v '^$' | tr '\n' ' ' | sed 's/ $//')"
  else
    fail "settings.ini not written"
  fi
fi

# ---- 2: auto-close on: confirming the chooser ends the program by itself.
echo "== scenario 2: AUTOCLOSE=1, confirm, program exits"
D2=$WORK/run2
start_program "$D2" $'[POS]\r\nX=100\r\nY=120\r\n[SYS]\r\nAUTOCLOSE=1\r\n'
W=$(wait_chooser)
if [ -z "$W" ]; then
  fail "colour chooser did not appear"
else
  type_rgb "$W" 255 0 128 || fail "could not focus the chooser"
  confirm "$W" || fail "could not confirm the chooser"
  if wait_exit 30; then
    echo "ok: program exited by itself"
    check_eq "AUTOCLOSE" "1" "$(settings_value "$D2" SYS AUTOCLOSE)"
    check_eq "X" "100" "$(settings_value "$D2" POS X)"
    check_eq "Y" "120" "$(settings_value "$D2" POS Y)"
  else
    fail "program still running after confirming with AUTOCLOSE=1"
  fi
fi

# ---- 3: auto-close on, left Shift held while confirming: it stays open.
echo "== scenario 3: AUTOCLOSE=1 with left Shift held, program stays"
D3=$WORK/run3
reset_clipboard
start_program "$D3" $'[SYS]\r\nAUTOCLOSE=1\r\n'
W=$(wait_chooser)
if [ -z "$W" ]; then
  fail "colour chooser did not appear"
else
  type_rgb "$W" 1 2 3 || fail "could not focus the chooser"
  timeout 20 xdotool windowfocus --sync "$W"
  # Left Shift stays down until the chooser is gone and the program has
  # read the key state after confirming.
  xte 'keydown Shift_L' 'key Return'
  wait_chooser_gone "$W" || fail "chooser still open after Return"
  clip=$(read_clipboard '#010203')
  sleep 0.5
  xte 'keyup Shift_L'
  sleep 1
  if kill -0 "$PID" 2>/dev/null; then
    echo "ok: program stays open with left Shift"
    check_eq "clipboard" "#010203" "$clip"
    M=$(main_window)
    [ -n "$M" ] && timeout 20 xdotool windowfocus --sync "$M" key alt+F4
    wait_exit 30 || fail "program did not exit after Alt+F4"
  else
    fail "program closed although left Shift was held"
  fi
fi

# ---- 4: auto-close on, right Shift held: only the left key keeps it open.
echo "== scenario 4: AUTOCLOSE=1 with right Shift held, program exits"
D4=$WORK/run4
start_program "$D4" $'[SYS]\r\nAUTOCLOSE=1\r\n'
W=$(wait_chooser)
if [ -z "$W" ]; then
  fail "colour chooser did not appear"
else
  timeout 20 xdotool windowfocus --sync "$W"
  xte 'keydown Shift_R' 'key Return'
  wait_chooser_gone "$W" || fail "chooser still open after Return"
  sleep 0.5
  xte 'keyup Shift_R'
  if wait_exit 30; then
    echo "ok: program exited with right Shift held"
  else
    fail "program stayed open although only right Shift was held"
  fi
fi

# ---- 5: the skinned dialog. Its X window is its client area, so dialog
#         coordinates below are client coordinates of the form.
echo "== scenario 5: skinned dialog: OK, palette, double click, typed codes, custom colour, Esc, screen pick"

dialog_origin() {  # window; sets DX DY
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  DX=$X DY=$Y
}
click_in() {  # window, x, y [, clicks]
  dialog_origin "$1"
  xdotool mousemove --sync $((DX + $2)) $((DY + $3)) click --repeat "${4:-1}" --delay 80 1
  sleep 0.2
}
main_cell() { echo $((17 + 27 * ($1 % 8))) $((37 + 27 * ($1 / 8))); }   # index -> x y
custom_cell() { echo $((17 + 27 * ($1 % 8))) $((221 + 27 * ($1 / 8))); }
OK_BUTTON="41 362" HEX_FIELD="177 312" DECIMAL_FIELD="177 333" PICKER_BUTTON="38 324" ADD_CUSTOM="381 362"
# Replaces a field's text by typing, as a user would.
type_into() {  # window, x, y, text
  click_in "$1" "$2" "$3"
  xdotool key Home shift+End Delete Home
  xdotool type --delay 40 "$4"
  sleep 0.3
}
open_from_swatch() {  # prints the dialog's window id
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$M")"
  xdotool mousemove --sync $((X + 30)) $((Y + HEIGHT - 30)) click 1
  wait_chooser
}
# Ends the dialog with the given action and checks the clipboard.
expect_clip() {  # what, window, expected
  wait_chooser_gone "$2" || fail "$1: dialog still open"
  check_eq "$1" "$3" "$(read_clipboard "$3")"
}

D5=$WORK/run5
reset_clipboard
start_program "$D5" "" skinned
W=$(wait_chooser)
if [ -z "$W" ]; then
  fail "skinned dialog did not open by itself"
else
  check_eq "dialog title" "Color" "$(xdotool getwindowname "$W")"
  click_in "$W" $OK_BUTTON
  expect_clip "OK on the first dialog" "$W" "#FFFFFF"
  M=$(main_window)
  [ -n "$M" ] || fail "main window not found"
fi
if [ -n "${M:-}" ]; then
  W=$(open_from_swatch)
  click_in "$W" $(main_cell 28)
  click_in "$W" $OK_BUTTON
  expect_clip "palette click" "$W" "#FF0000"

  W=$(open_from_swatch)
  click_in "$W" $(main_cell 1) 2
  expect_clip "palette double click" "$W" "#80FFFF"

  W=$(open_from_swatch)
  type_into "$W" $HEX_FIELD 3c3d3d
  confirm "$W"
  expect_clip "typed hex, Enter" "$W" "#3C3D3D"

  W=$(open_from_swatch)
  type_into "$W" $DECIMAL_FIELD 1193046
  click_in "$W" $OK_BUTTON
  expect_clip "typed decimal" "$W" "#563412"

  # A custom colour added and the dialog cancelled: the clipboard stays, the
  # colour comes back and is offered on the next open.
  W=$(open_from_swatch)
  click_in "$W" $(main_cell 12)
  click_in "$W" $ADD_CUSTOM
  timeout 20 xdotool windowfocus --sync "$W" key Escape
  expect_clip "Esc leaves the clipboard" "$W" "#563412"
  W=$(open_from_swatch)
  click_in "$W" $(custom_cell 0)
  click_in "$W" $OK_BUTTON
  expect_clip "custom colour offered again" "$W" "#FFFF00"

  # The screen picker takes a pixel of another program's window.
  display -geometry +40+40 -size 120x120 xc:'#1E90C8' &
  OTHER_PID=$!
  shown=
  for ((i = 0; i < 50; i++)); do
    [ "$(import -window root -crop 1x1+100+100 -format '%[pixel:p{0,0}]' info: 2>/dev/null)" == 'srgb(30,144,200)' ] && { shown=1; break; }
    sleep 0.2
  done
  if [ -z "$shown" ]; then
    fail "the other window did not appear"
  else
    W=$(open_from_swatch)
    click_in "$W" $PICKER_BUTTON
    sleep 0.5
    xdotool mousemove --sync 100 100 click 1
    sleep 0.5
    if xdotool getwindowname "$W" >/dev/null 2>&1; then
      echo "ok: the dialog stays open after a pick"
      confirm "$W"
      expect_clip "screen pick" "$W" "#1E90C8"
    else
      fail "the dialog closed on a pick"
    fi
  fi
  kill "$OTHER_PID" 2>/dev/null
  OTHER_PID=
  timeout 20 xdotool windowfocus --sync "$M" key alt+F4
  wait_exit 30 || fail "program did not exit after Alt+F4"
fi

if [ $failures -ne 0 ]; then
  echo "e2e: $failures failure(s)"
  exit 1
fi
echo "e2e: all scenarios passed in $((SECONDS - START)) s"
