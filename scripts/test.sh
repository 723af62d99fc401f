#!/usr/bin/env bash
# Sets everything up and runs every test: the native tests, then the Windows tests under 32-bit
# Wine inside the project's Debian root (made while the trees build, the first time), in the
# build's own win64 prefix, with a virtual X display when there is none; the end-to-end cases
# run in win64 and in win32 prefixes of their own. Then the unzip library's fuzz target for
# about a minute (scripts/fuzz.sh; any finding fails the run).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

bash scripts/setup.sh
mkdir -p build
bash scripts/debian-root.sh >build/debian-root.out 2>&1 &
root_job=$!
bash scripts/build.sh all
if ! wait $root_job; then
  cat build/debian-root.out >&2
  exit 1
fi
cat build/debian-root.out

ensure_display
trap 'stop_display; root_wineserver -k 2>/dev/null || true' EXIT
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
