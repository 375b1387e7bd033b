#!/bin/sh
# Runs one benchmark for CTest: only under `make bench` (scripts/bench sets
# VORNEL_BENCH=1), which builds them first. A plain ctest reports it skipped
# (exit 77), whether the benchmark was built or not.
set -eu
if [ "${VORNEL_BENCH:-}" != 1 ]; then
  echo "benchmark: run by 'make bench' only"
  exit 77
fi
exec "$@"
