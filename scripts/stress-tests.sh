#!/usr/bin/env bash
# Runs every test of the given test programs in many copies at once, for
# some rounds, and counts the failures: a load test for tests that start
# processes and servers.
#   scripts/stress-tests.sh [-c COPIES] [-r ROUNDS] [-t SECONDS] [-w WM] PROGRAM...
# PROGRAM is a gtest program (build-asan/bin/cloud_process_tests). Each test
# runs COPIES times at once (20), each copy at most SECONDS (300); ROUNDS (3)
# rounds. With -w (openbox) each test runs twice in each round: without a
# window manager and under WM (QV_TEST_WM). The output of failed copies goes
# to stress-logs/ in the current folder; the load (uptime) is printed with
# each test.
set -uo pipefail
copies=20 rounds=3 limit=300 wm=""
while getopts c:r:t:w: opt; do
  case $opt in
    c) copies=$OPTARG ;;
    r) rounds=$OPTARG ;;
    t) limit=$OPTARG ;;
    w) wm=$OPTARG ;;
    *) exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || { echo "usage: $0 [-c COPIES] [-r ROUNDS] [-t SECONDS] [-w WM] PROGRAM..." >&2; exit 2; }
modes=("")
[ -n "$wm" ] && modes+=("$wm")
here=$(cd "$(dirname "$0")/.." && pwd)
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/tests/lsan.supp}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p stress-logs

total=0 failed=0
for round in $(seq 1 "$rounds"); do
  for program in "$@"; do
    # "Suite." lines, then "  Test" lines under them.
    tests=$("$program" --gtest_list_tests | awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
    for test in $tests; do
      for mode in "${modes[@]}"; do
        start=$(date +%s)
        pids=()
        name="$(basename "$program").${test//\//_}${mode:+.$mode}"
        for copy in $(seq 1 "$copies"); do
          log="stress-logs/$name.r$round.c$copy.log"
          QV_TEST_WM=$mode timeout -k 10 "$limit" "$program" --gtest_filter="$test" >"$log" 2>&1 &
          pids+=($!)
        done
        bad=0
        for i in "${!pids[@]}"; do
          if wait "${pids[$i]}"; then
            rm -f "stress-logs/$name.r$round.c$((i + 1)).log"
          else
            bad=$((bad + 1))
          fi
        done
        total=$((total + copies))
        failed=$((failed + bad))
        echo "round $round  $test${mode:+ under $mode}  $copies copies  $bad failed  $(( $(date +%s) - start )) s  load$(uptime | sed 's/.*load average//')"
      done
    done
  done
done
echo "== $total runs, $failed failed"
[ "$failed" -eq 0 ]
