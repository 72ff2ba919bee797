#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) in build-fuzz and runs each for
# a bounded time. Fails on any finding: a crash, a sanitizer report, a broken check, a
# leak, a timeout or running out of memory. Findings are kept under build-fuzz/findings.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]    (default 20)
set -euo pipefail
seconds=${1:-20}
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-fuzz

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTRIVISTA_BENCHMARKS=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTRIVISTA_SANITIZE=ON \
  -DTRIVISTA_FUZZ=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null

# name:binary:max_len
targets=(options:trivista_options_fuzz:512 report_options:trivista_report_options_fuzz:512
         freeze:trivista_freeze_fuzz:4096 sequence:trivista_sequence_fuzz:4096
         y4m_header:trivista_y4m_fuzz:512 decoder:trivista_decoder_fuzz:16384
         count_entry:trivista_count_entry_fuzz:4096)
binaries=()
for target in "${targets[@]}"; do binaries+=("$(cut -d: -f2 <<<"$target")"); done
cmake --build "$build" -j2 --target "${binaries[@]}"

failed=0
summary=()
for target in "${targets[@]}"; do
  IFS=: read -r name binary max_len <<<"$target"
  executable=$(find "$build" -name "$binary" -type f -perm -u+x | head -1)
  seeds=$root/fuzz/corpus/$name
  regressions=$root/fuzz/regressions/$name
  work=$build/fuzz-corpus/$name       # grows from run to run
  findings=$build/findings/$name
  mkdir -p "$work" "$findings" "$seeds" "$regressions"
  dictionary=()
  [ -f "$root/fuzz/$name.dict" ] && dictionary=(-dict="$root/fuzz/$name.dict")
  log=$build/findings/$name.log
  echo "== $name: $seconds s"
  status=0
  "$executable" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -close_fd_mask=3 -print_final_stats=1 \
    -artifact_prefix="$findings/" "${dictionary[@]}" \
    "$work" "$seeds" "$regressions" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  if [ "$status" -ne 0 ] || grep -q -E '^==[0-9]+==ERROR|runtime error|deadly signal' "$log"; then
    failed=1
    echo "FINDING in $name (status $status); log: $log; inputs: $findings"
    grep -E 'ERROR|runtime error|broken|SUMMARY|Test unit written' "$log" | head -20 || true
  fi
  summary+=("$(printf '%-15s %9s runs %7s exec/s  cov %5s  ft %6s' "$name" "${runs:-?}" \
    "${speed:-?}" "${coverage:-?}" "${features:-?}")")
done

echo "== fuzzing summary ($seconds s per target)"
printf '%s\n' "${summary[@]}"
exit $failed
