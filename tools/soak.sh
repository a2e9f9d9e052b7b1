#!/bin/bash
# Many referee games of syougi-usi: self-play, games against GNU Shogi at
# depths 1 to 3, and a tenth of the games with the sanitizer build as one
# engine. Every engine starts afresh for each game, so a record with its seed
# replays a fault. Records of faulty games are kept in BUILD/soak/<batch>/.
#
#   tools/soak.sh BUILD ASAN_BUILD GAMES [SEED [LANES]]
#
# LANES > 1 splits the games into that many runs of this script side by side,
# each with its own seeds and folder (BUILD/soak/lane-K), and sums their lines.
set -u

build=$(cd "$1" && pwd) || exit 2
asan=$(cd "$2" && pwd) || exit 2
games=$3
seed=${4:-1}
lanes=${5:-1}
case "$games" in '' | *[!0-9]*) echo "soak: GAMES must be a number" >&2; exit 2 ;; esac
case "$seed" in '' | *[!0-9]*) echo "soak: SEED must be a number" >&2; exit 2 ;; esac
case "$lanes" in '' | *[!0-9]*) echo "soak: LANES must be a number" >&2; exit 2 ;; esac
[ "$games" -ge 1 ] || { echo "soak: GAMES must be at least 1" >&2; exit 2; }
[ "$lanes" -ge 1 ] || { echo "soak: LANES must be at least 1" >&2; exit 2; }
out=${SOAK_OUT:-$build/soak}

if [ "$lanes" -gt 1 ]; then
  [ "$games" -ge "$lanes" ] || { echo "soak: fewer GAMES than LANES" >&2; exit 2; }
  rm -rf "$out"
  mkdir -p "$out"
  t0=$(date +%s)
  pids=()
  for ((k = 1; k <= lanes; k++)); do
    n=$((games / lanes + (k <= games % lanes ? 1 : 0)))
    # Lane seeds lie 2,000,000 apart, beyond the spread one lane uses.
    SOAK_OUT=$out/lane-$k "$0" "$build" "$asan" "$n" $((seed + (k - 1) * 2000000)) 1 \
      >"$out/lane-$k.log" 2>&1 &
    pids+=($!)
  done
  failed=0
  for p in "${pids[@]}"; do wait "$p" || failed=1; done

  played=0 illegal=0 crashes=0 timeouts=0
  slow=-1 slowWhat="" peak=-1 peakWhat=""
  for ((k = 1; k <= lanes; k++)); do
    log=$out/lane-$k.log
    read -r g i c t < <(sed -n 's/^soak: \([0-9]*\) games, illegal \([0-9]*\), crashes \([0-9]*\), time-outs \([0-9]*\)$/\1 \2 \3 \4/p' "$log")
    if [ -z "${t:-}" ]; then
      echo "soak: lane $k gave no summary (see $log)"
      failed=1
      continue
    fi
    played=$((played + g)) illegal=$((illegal + i)) crashes=$((crashes + c)) timeouts=$((timeouts + t))
    # A lane's own lines come last, after those of its referee runs.
    read -r sec what < <(sed -n 's/^slowest move: \([0-9.-]*\) s \(.*\)$/\1 \2/p' "$log" | tail -n 1)
    if awk -v a="$sec" -v b="$slow" 'BEGIN { exit !(a > b) }'; then
      slow=$sec slowWhat="$what (lane $k)"
    fi
    read -r kb what < <(sed -n 's/^peak memory: \([0-9-]*\) KiB \(.*\)$/\1 \2/p' "$log" | tail -n 1)
    if [ "$kb" -gt "$peak" ]; then
      peak=$kb peakWhat="$what (lane $k)"
    fi
    unset t
  done
  echo "wall time: $(($(date +%s) - t0)) s in $lanes lanes; distinct games: $(cat "$out"/lane-*/moves.md5 | sort -u | wc -l) of $played"
  echo "soak: $played games, illegal $illegal, crashes $crashes, time-outs $timeouts"
  echo "slowest move: $slow s $slowWhat"
  echo "peak memory: $peak KiB $peakWhat"
  [ "$failed" -eq 0 ] && [ $((illegal + crashes + timeouts)) -eq 0 ] && [ "$played" -eq "$games" ]
  exit
fi

plain="exec $build/syougi-usi"
sanitized="ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 exec $asan/syougi-usi"

# The mix: a tenth with the sanitizer build (half against the plain build,
# half against GNU Shogi), of the rest a quarter self-play and the others
# against GNU Shogi at depths 1, 2 and 3. Seeds only vary the book's choice,
# so self-play starts from random openings (GNU Shogi cannot be given one).
nAsan=$((games / 10))
nAsanSelf=$((nAsan / 2))
nAsanGnu=$((nAsan - nAsanSelf))
rest=$((games - nAsan))
nSelf=$((rest / 4))
nGnu=$((rest - nSelf))
nD1=$((nGnu / 3))
nD2=$((nGnu / 3))
nD3=$((nGnu - nD1 - nD2))

rm -rf "$out"
mkdir -p "$out"
cd "$build" || exit 2  # the engines read their book from here

t0=$(date +%s)
played=0 illegal=0 crashes=0 timeouts=0 refereeFailed=0
slowSec=-1 slowWhat="" peakKb=-1 peakWhat=""

# batch NAME GAMES "LABEL 1" "LABEL 2" syougi-match arguments...
batch() {
  local name=$1 n=$2 label1=$3 label2=$4
  shift 4
  [ "$n" -ge 1 ] || return 0
  local dir=$out/$name log=$out/$name.log
  echo "== $name: $n games: syougi-match --fresh --games $n --timeout 60 --out $dir $*"
  ./syougi-match --fresh --games "$n" --timeout 60 --out "$dir" "$@" | tee "$log"
  local rc=${PIPESTATUS[0]}
  if [ "$rc" -ne 0 ] || ! grep -q '^faults: ' "$log"; then
    echo "soak: syougi-match failed in $name (exit status $rc)"
    refereeFailed=1
    return 0
  fi

  local g i c t
  g=$(sed -n 's/^summary of \([0-9]*\) games.*/\1/p' "$log")
  read -r i c t < <(sed -n 's/^faults: illegal \([0-9]*\), crashes \([0-9]*\), time-outs \([0-9]*\)$/\1 \2 \3/p' "$log")
  played=$((played + g)) illegal=$((illegal + i)) crashes=$((crashes + c)) timeouts=$((timeouts + t))

  local sec eng game kb
  read -r sec eng game < <(sed -n 's/^slowest move: \([0-9.]*\) s by engine \([12]\) .* in game \([0-9]*\)$/\1 \2 \3/p' "$log")
  if awk -v a="$sec" -v b="$slowSec" 'BEGIN { exit !(a > b) }'; then
    local label=$label1
    [ "$eng" = 2 ] && label=$label2
    slowSec=$sec
    slowWhat="by $label in $name game $game"
  fi
  read -r kb eng < <(sed -n 's/^peak memory: \([0-9]*\) KiB by engine \([12]\) .*/\1 \2/p' "$log")
  if [ "$kb" -gt "$peakKb" ]; then
    peakKb=$kb
    peakWhat="by $label1"
    [ "$eng" = 2 ] && peakWhat="by $label2"
    peakWhat="$peakWhat in $name"
  fi

  # Games alike in every move show how little the seeds varied them.
  for f in "$dir"/game-*.csa; do
    grep -E '^[+-][0-9]{4}[A-Z]{2}$' "$f" | md5sum
  done >>"$out/moves.md5"

  # Only the records of faulty games stay, and stderr that has something in it.
  local keep
  keep=$(grep -E ' by (illegal move|time|engine failure) | ended badly: ' "$log" |
    sed -n 's/.* -> \([^ ]*\.csa\).*/\1/p')
  for f in "$dir"/game-*.csa; do
    case "$keep" in *"$f"*) ;; *) rm -f "$f" ;; esac
  done
  find "$dir" -name '*.stderr' -empty -delete
}

s=$seed
batch self "$nSelf" "syougi-usi" "syougi-usi" --random-plies 6 \
  --seed1 "$s" --seed2 $((s + 100000)) "$plain" "$plain"
for d in 1 2 3; do
  eval n=\$nD$d
  batch "gnushogi-d$d" "$n" "syougi-usi" "gnushogi depth $d" \
    --gnushogi-depth "$d" --seed1 $((s + d * 200000)) "$plain" gnushogi
done
batch asan-self "$nAsanSelf" "syougi-usi (sanitizer build)" "syougi-usi" --random-plies 6 \
  --seed1 $((s + 800000)) --seed2 $((s + 900000)) "$sanitized" "$plain"
batch asan-gnushogi "$nAsanGnu" "syougi-usi (sanitizer build)" "gnushogi depth 2" \
  --gnushogi-depth 2 --seed1 $((s + 1000000)) "$sanitized" gnushogi

echo "wall time: $(($(date +%s) - t0)) s; distinct games: $(sort -u "$out/moves.md5" | wc -l) of $played"
echo "soak: $played games, illegal $illegal, crashes $crashes, time-outs $timeouts"
echo "slowest move: $slowSec s $slowWhat"
echo "peak memory: $peakKb KiB $peakWhat"
[ $((illegal + crashes + timeouts + refereeFailed)) -eq 0 ] && [ "$played" -eq "$games" ]
