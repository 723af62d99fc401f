#!/usr/bin/env bash
# Fuzzes the unzip library: builds the clang tree build/fuzz (libFuzzer with AddressSanitizer and
# UBSan) and runs its two fuzz targets: the library on whole archives for SECONDS (default 60), on
# its seed corpus, the inputs of fuzz/regressions and the corpus kept from earlier runs
# (build/fuzz/corpus), then the fast inflater against zlib for half as long (build/fuzz/
# inflate-corpus). Prints the executions and the coverage. Fails on any finding; the input is kept
# in build/fuzz/findings/ (once the fault is mended, copy it into fuzz/regressions/, where the
# tests run it).
# Usage: scripts/fuzz.sh [SECONDS [TREE]]   (TREE defaults to build/fuzz; a long run may want its
# own, so that the short runs of the test command can go on beside it)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
tree=${2:-build/fuzz}
rm -f $tree/summary.txt

echo "== fuzz: building $tree"
cmake -S . -B $tree -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK_TESTS=OFF \
  -DTARVIK_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
if ! nice cmake --build $tree --target unzip_fuzzer inflate_fuzzer unzip_fuzz_seeds >$tree/build.log 2>&1; then
  tail -30 $tree/build.log
  exit 1
fi

mkdir -p $tree/corpus $tree/inflate-corpus $tree/findings
python3 fuzz/make_inflate_seeds.py $tree/inflate-seeds
# Every input is written, extracted and removed again: in memory when the machine allows.
[[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm

# fuzz TARGET SECONDS CORPUS...: runs one target; prints and records its figures.
fuzz() {
  local target=$1 seconds=$2 status=0
  shift 2
  local log=$tree/$target.log
  echo "== fuzz: running $target for ${seconds}s (log: $log)"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    nice $tree/bin/$target -max_total_time="$seconds" -max_len=32768 -timeout=30 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=$tree/findings/ \
    "$@" >"$log" 2>&1 || status=$?
  local executions coverage edges result
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[^ ]+' "$log" | tail -1)
  edges=$(sed -nE 's/^INFO: Loaded [0-9]+ modules +\(([0-9]+) inline.*/\1/p' "$log" | head -1)
  result="$target: ${executions:-?} executions in ${seconds}s; ${coverage:-no coverage line}; ${edges:-?} edges instrumented"
  echo "fuzz: $result (cov: edges covered, ft: features, corp: inputs kept/their size)"
  if ((status != 0)); then
    summary+=("$result; FINDING")
    echo "fuzz: FINDING (exit $status); the input is in $tree/findings/:"
    ls -1 $tree/findings/
    grep -E '^(finding:|==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -20 || true
    return 1
  fi
  summary+=("$result; no findings")
}

summary=()
status=0
fuzz unzip_fuzzer "$seconds" $tree/corpus $tree/bin/fuzz_seeds fuzz/regressions || status=1
fuzz inflate_fuzzer $(((seconds + 1) / 2)) $tree/inflate-corpus $tree/inflate-seeds || status=1
printf -v joined '%s; ' "${summary[@]}"
echo "${joined%; }" >$tree/summary.txt
((status == 0)) && echo "fuzz: no findings"
exit $status
