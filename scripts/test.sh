#!/usr/bin/env bash
# Checks that every part includes only the parts below it, installs what the
# build needs, builds the normal, the ASan+UBSan and the TSan trees, runs each
# fuzz target for a bounded time (QV_FUZZ_SECONDS), the thread tests under
# TSan and the whole suite under ASan+UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
fuzz_seconds=${QV_FUZZ_SECONDS:-30}

scripts/check-includes.sh
scripts/install-deps.sh
scripts/build.sh build
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=address,undefined
scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=thread

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Pango hands fonts between threads through locks TSan cannot see.
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp}

echo "== fuzz targets, $fuzz_seconds s each"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON >/dev/null
cmake --build build-fuzz --target fuzz_all
while read -r target; do
  [ -n "$target" ] || continue
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/fuzz_$target.log"
  # libFuzzer exits non-zero on a crash, leak, time-out or out-of-memory.
  if ! "build-fuzz/bin/fuzz_$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/crash-$target-" \
      "build-fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target failed"
    exit 1
  fi
  echo "fuzz_$target: $(grep -m1 'stat::number_of_executed_units' "$log" || echo done)"
done < build-fuzz/fuzz_targets.txt

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
