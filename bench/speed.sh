#!/bin/sh
# Search speed: runs "vessik bench" RUNS times (3) and prints the best
# nodes/second. With BASE=<commit>, that commit is built too (Release, in
# build-speed/<commit>) and the two engines run alternately, so that both see
# the same machine load; the ratio of the best figures ends the report.
# Every run must search the same tree: a different node count fails.
set -eu
cd "$(dirname "$0")/.."
ENGINE=${ENGINE:-build/vessik}
RUNS=${RUNS:-3}
BASE=${BASE:-}
JOBS=${JOBS:-2}

base_engine=""
if [ -n "$BASE" ]; then
  sha=$(git rev-parse --short=10 "$BASE^{commit}")
  dir=build-speed/$sha
  if [ ! -x "$dir/build/vessik" ]; then
    rm -rf "$dir"
    mkdir -p "$dir/src"
    git archive "$sha" | tar -x -C "$dir/src"
    cmake -S "$dir/src" -B "$dir/build" -DCMAKE_BUILD_TYPE=Release -DVESSIK_BUILD_TESTS=OFF >/dev/null
    cmake --build "$dir/build" -j "$JOBS" --target vessik >/dev/null
  fi
  base_engine=$dir/build/vessik
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One bench run in an empty folder (no option.txt, no book); prints "nodes nps".
run() {
  engine=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
  (cd "$work" && "$engine" bench) | awk '/^Nodes searched:/ {n=$3} /^Nodes\/second:/ {s=$2} END {print n, s}'
}

best_new=0
best_base=0
nodes=""
i=1
while [ "$i" -le "$RUNS" ]; do
  for which in new base; do
    if [ "$which" = base ]; then
      [ -n "$base_engine" ] || continue
      engine=$base_engine
    else
      engine=$ENGINE
    fi
    set -- $(run "$engine")
    echo "run $i $which: $1 nodes, $2 nodes/s"
    if [ "$which" = new ]; then
      [ -z "$nodes" ] || [ "$nodes" = "$1" ] || { echo "node count changed: $nodes then $1"; exit 1; }
      nodes=$1
      [ "$2" -gt "$best_new" ] && best_new=$2
    else
      base_nodes=$1
      [ "$2" -gt "$best_base" ] && best_base=$2
    fi
  done
  i=$((i + 1))
done

echo "best: $best_new nodes/s ($ENGINE, $nodes nodes)"
if [ -n "$base_engine" ]; then
  echo "base: $best_base nodes/s ($BASE, $base_nodes nodes)"
  [ "$base_nodes" = "$nodes" ] || echo "warning: the base searches a different tree ($base_nodes nodes)"
  awk -v a="$best_new" -v b="$best_base" 'BEGIN { printf "ratio: %.3f\n", a / b }'
fi
