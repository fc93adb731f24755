#!/bin/sh
# Runs one fuzz target on its corpus for a number of seconds and prints one
# line: the target, the executions and whether anything was found. A finding
# (crash, sanitizer report, broken promise, leak, timeout) fails the run and
# leaves the input in BUILD/findings/TARGET/.
# Usage: smoke.sh BUILD TARGET SECONDS
set -u
build=$1 target=$2 seconds=$3
here=$(dirname "$0")
findings=$build/findings/$target
mkdir -p "$findings" "$build/corpus/$target"
dict=
if [ -f "$here/$target.dict" ]; then dict=-dict=$here/$target.dict; fi
log=$build/findings/$target.log
"$build/tests/fuzz/fuzz_$target" $dict -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=20 \
  -artifact_prefix="$findings/" -print_final_stats=1 "$build/corpus/$target" >"$log" 2>&1
status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
if [ $status -eq 0 ]; then
  echo "fuzz $target: ${runs:-0} executions in ${seconds}s, nothing found"
else
  echo "fuzz $target: FOUND a fault after ${runs:-?} executions; input in $findings/, log in $log"
  tail -n 40 "$log"
fi
exit $status
