# Sourced by the benchmark scripts: times the contenders side by side.
#   time_interleaved ROUNDS NAME...   runs run_NAME for each NAME, ROUNDS times; rounds
#                                     interleave the contenders so that machine noise hits
#                                     them all alike. Leaves seconds in median_seconds[NAME].
#   median                            the median of the numbers on standard input.

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

declare -A median_seconds
time_interleaved() {
  local rounds=$1 round c start end
  shift
  local -A times
  for ((round = 1; round <= rounds; round++)); do
    for c in "$@"; do
      start=$(date +%s.%N)
      "run_$c"
      end=$(date +%s.%N)
      times[$c]+="$(awk "BEGIN {print $end - $start}") "
    done
  done
  for c in "$@"; do median_seconds[$c]=$(echo "${times[$c]}" | median); done
}
