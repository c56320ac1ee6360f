#!/usr/bin/env bash
# Runs each fuzzer of a build folder over its committed corpus for FUZZ_SECONDS (default 60).
set -euo pipefail
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
# Only the fuzz targets are built (with clang); the rest of the tree is not needed.
targets=$(ninja -C "$build" -t targets all | sed -n 's/^\(fuzz_[A-Za-z0-9_]*\): .*/\1/p' | sort -u)
[ -n "$targets" ] || { echo "no fuzz targets" >&2; exit 1; }
ninja -C "$build" $targets
for f in $(find "$build/fuzz" -maxdepth 2 -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$f")
  corpus="fuzz/corpus/${name#fuzz_}"
  mkdir -p "$corpus" "$build/fuzz/new-$name"
  echo "== $name for ${seconds}s"
  "$f" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 "$build/fuzz/new-$name" "$corpus"
done
