#!/usr/bin/env bash
# Installs what the build needs, builds the normal, the ASan+UBSan and the TSan
# trees, runs the whole suite under ASan+UBSan and the thread tests under TSan.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh
scripts/build.sh build
scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=address,undefined
scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=thread

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

echo "== thread tests under ThreadSanitizer"
ctest --test-dir build-tsan -L thread --output-on-failure -j "$jobs"
echo "== all tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
