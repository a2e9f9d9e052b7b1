#!/usr/bin/env bash
# Plays the first moves of a game in the window under Xvfb, by clicks through
# `syougi --drive`, and saves a picture of the window while the game is on.
#   tools/screenshot.sh [BUILD_DIR] [OUTPUT.png]
# Needs Xvfb (xvfb-run), xdotool and ImageMagick's import; `make screenshot`
# installs what is missing.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
out=${2:-$src/docs/screenshot.png}
case $out in /*) ;; *) out=$PWD/$out ;; esac

# A display of its own, so that nothing on the user's screen is disturbed.
if [ -z "${SYOUGI_SCREENSHOT_XVFB:-}" ]; then
  exec env SYOUGI_SCREENSHOT_XVFB=1 xvfb-run -a -s "-screen 0 1100x640x24" "$0" "$build" "$out"
fi

for tool in xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing" >&2; exit 1; }
done
[ -x "$build/syougi" ] || { echo "screenshot.sh: $build/syougi is not built" >&2; exit 1; }

work=$(mktemp -d)
cp "$src/data/joseki.lis" "$work/"
cd "$work"
# No link is started, so the port is never opened.
coproc WIN { QT_QPA_PLATFORM=xcb exec "$build/syougi" --port "$work/no-port" --drive 2>/dev/null; }
win_pid=$WIN_PID
# Copies of the pipes that command substitutions can use too.
exec {to_win}>&"${WIN[1]}" {from_win}<&"${WIN[0]}"
cleanup() {
  kill "$win_pid" 2>/dev/null || true
  wait "$win_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Sends one command and prints its answer; message boxes shown meanwhile are
# left out (the caller answers them).
ask() {
  local line
  echo "$1" >&"$to_win"
  while IFS= read -r -t 60 line <&"$from_win"; do
    case $line in box\ *) ;; *) echo "$line"; return 0 ;; esac
  done
  echo "screenshot.sh: no answer to '$1'" >&2
  exit 1
}
text() { ask "text $1" | sed "s/^ok text $1 \{0,1\}//"; }

# One user move by its two squares; the computer's reply is waited for.
move() {
  ask "click e$1" >/dev/null
  ask "click e$2" >/dev/null
  if [ "${3:-}" ]; then ask "answer $3" >/dev/null; fi
  ask wait-idle >/dev/null
}

ask "click kaisisennte" >/dev/null
move 77 76
# The usual reply opens the bishops' diagonal: exchange them, so that both
# hands hold a bishop.
if [ "$(text zenntel)" = "34歩" ]; then move 88 22 Yes; fi
# Ordinary moves until the computer's own search (not its book) has listed
# its root candidates.
for m in "27 26" "39 48" "26 25" "69 78" "59 68" "49 58" "17 16" "97 96"; do
  [ -n "$(text ko0)" ] && [ "$(text tesuul)" -ge 7 ] && break
  move $m
done
[ -n "$(text ko0)" ] || echo "screenshot.sh: the computer has not searched yet" >&2

sleep 0.5  # let the last drawing reach the screen
id=$(xdotool search --onlyvisible --name 'ヌバタ' | head -n 1)
[ -n "$id" ] || { echo "screenshot.sh: no window" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
import -window "$id" -strip -colors 64 "PNG8:$out"
echo "screenshot.sh: $out ($(text tesuul) is the move to play)"
