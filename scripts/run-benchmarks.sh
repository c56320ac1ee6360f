#!/usr/bin/env bash
# Runs every benchmark binary of a build folder and prints medians of five repetitions.
set -euo pipefail
build=${1:-build-bench}
status=0
for b in $(find "$build/bench" -maxdepth 2 -type f -name 'bench_*' -perm -u+x | sort); do
  echo "== $(basename "$b")"
  dbus-run-session -- env QT_QPA_PLATFORM=offscreen "$b" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_display_aggregates_only=true || status=1
done
exit $status
