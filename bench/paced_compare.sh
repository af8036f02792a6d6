#!/usr/bin/env bash
# Compares the paced CPU share of two builds, run in turn so both see the
# same host: on a shared machine the host's speed drifts over an hour by more
# than most changes gain, so figures taken at different times do not compare.
#
#   bench/paced_compare.sh BEFORE_BUILD AFTER_BUILD [crowded|1|2|3] [ROUNDS]   defaults: crowded 3
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
(($# >= 2)) || { echo "usage: $0 BEFORE_BUILD AFTER_BUILD [crowded|1|2|3] [ROUNDS]" >&2; exit 2; }
before="$1"
after="$2"
stage="${3:-crowded}"
rounds="${4:-3}"

share_of_one_run() {
  "$here/paced_cpu.sh" "$1" "$stage" 1 | sed -n 's/.*, \([0-9.]*\) % of one core$/\1/p'
}

before_shares=()
after_shares=()
for ((round = 1; round <= rounds; ++round)); do
  before_shares+=("$(share_of_one_run "$before")")
  after_shares+=("$(share_of_one_run "$after")")
  echo "round $round: before ${before_shares[-1]} %, after ${after_shares[-1]} %"
done
mean() { printf '%s\n' "$@" | awk '{ s += $1 } END { printf "%.1f", s / NR }'; }
echo "mean of $rounds rounds: before $(mean "${before_shares[@]}") %, after $(mean "${after_shares[@]}") % of one core"
