#!/usr/bin/env bash
# Checks that every part includes only the parts below it, installs what the
# build needs, and builds and runs what CI runs, each tree holding only what
# is run in it:
#   build-asan/  (ASan+UBSan)  every test;
#   build-tsan/  (TSan)        the tests labelled "thread";
#   build-fuzz/  (clang)       the fuzz targets, each for QV_FUZZ_SECONDS (30),
#                              as many at once as there are cores.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
fuzz_seconds=${QV_FUZZ_SECONDS:-30}

scripts/check-includes.sh
scripts/install-deps.sh
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=address,undefined
scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=thread --target thread_labelled_tests
scripts/build.sh build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
                 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON --target fuzz_all

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Pango hands fonts between threads through locks TSan cannot see.
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp}

echo "== fuzz targets, $fuzz_seconds s each, $jobs at once"
# Runs one fuzz target; libFuzzer exits non-zero on a crash, leak, time-out or
# out-of-memory, and then its log's end is shown.
fuzz_one() {
  local target=$1 log="build-fuzz/fuzz_$1.log"
  mkdir -p "build-fuzz/corpus/$target"
  if ! "build-fuzz/bin/fuzz_$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/crash-$target-" \
      "build-fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target failed"
    return 1
  fi
  echo "fuzz_$target: $(grep -m1 'stat::number_of_executed_units' "$log" || echo done)"
}
export -f fuzz_one
export fuzz_seconds
grep -v '^$' build-fuzz/fuzz_targets.txt | xargs -P "$jobs" -I{} bash -c 'fuzz_one "$1"' _ {}

echo "== thread tests under ThreadSanitizer"
ctest --test-dir build-tsan -L thread --output-on-failure -j "$jobs"
echo "== all tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

# What the tests kept for people to look at (screenshots), in one folder.
rm -rf artifacts
mkdir -p artifacts
for tree in build-asan build-tsan; do
  [ -d "$tree/artifacts" ] && cp -r "$tree/artifacts/." artifacts/
done
echo "== artifacts"
find artifacts -type f | sort
