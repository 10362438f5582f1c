#!/usr/bin/env bash
# Runs every benchmark group (or the one named) and collects the headline figures.
# Usage: bench/run.sh BUILD_DIR [GROUP]
set -uo pipefail
build=${1:-build/release}
only=${2:-}
figures=$(mktemp)
status=0
for exe in "$build"/bench/bench_* "$build"/bench_*; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe"); group=${name#bench_}
  if [ -n "$only" ] && [ "$only" != "$group" ]; then continue; fi
  echo "== $name"
  if ! "$exe" --benchmark_min_time=0.2 | tee -a "$figures"; then status=1; fi
done
echo
echo "== headline figures"
grep -E '^bench [A-Za-z0-9_]+ ' "$figures" || true
rm -f "$figures"
exit $status
