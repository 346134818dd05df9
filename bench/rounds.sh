# What the launch benchmarks share, sourced by them: the interleaved rounds and the medians.

# Runs `run ENTRY` for each entry once to warm the caches, uncounted, then ROUNDS times, each round
# starting with the next entry so that none always follows the same one; what `run` prints goes
# to standard output.
#   interleaved_rounds ROUNDS ENTRY...
interleaved_rounds() {
  local rounds=$1
  shift
  local entries=("$@") entry round i
  for entry in "${entries[@]}"; do run "$entry" >/dev/null; done
  for round in $(seq 0 $((rounds - 1))); do
    for i in $(seq 0 $((${#entries[@]} - 1))); do
      run "${entries[$(((round + i) % ${#entries[@]}))]}"
    done
  done
}

# An awk function for the program given after it: median(LIST), the median of the numbers in the
# space-separated LIST.
median_awk='
  function median(list,   n, values, i, j, t) {
    n = split(list, values, " ")
    for (i = 2; i <= n; i++) for (j = i; j > 1 && values[j - 1] + 0 > values[j] + 0; j--) {
      t = values[j]; values[j] = values[j - 1]; values[j - 1] = t
    }
    return n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
  }'
