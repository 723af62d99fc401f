#!/usr/bin/env bash
# Sets everything up and runs every test: the native tests, then the Windows tests under Wine
# (in the build's own Wine prefix, with a virtual X display when there is none), then the unzip
# library's fuzz target for about a minute (scripts/fuzz.sh; any finding fails the run).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

bash scripts/setup.sh
bash scripts/build.sh all

ensure_display
trap 'stop_display; "$TARVIK_SCRIPTS/wine-run" --server -k 2>/dev/null || true' EXIT
ensure_wine_prefix "$PWD/build/windows/wineprefix"

status=0
summary=()
for tree in native windows; do
  echo "== $tree tests"
  log=build/$tree/ctest.log
  ctest --test-dir "build/$tree" -j2 --output-on-failure 2>&1 | tee "$log" || status=1
  summary+=("$tree: $(grep -E 'tests passed' "$log" | tail -1)")
done

echo "== fuzz"
bash scripts/fuzz.sh 60 || status=1
summary+=("fuzz: $(cat build/fuzz/summary.txt 2>/dev/null || echo 'did not run')")

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
