#!/usr/bin/env bash
# Fuzzes one libFuzzer binary for a while, starting from its seed corpus, and says how it went:
#   <name>: <N> executions in <S> s (<R>/s), <U> new inputs, no crash
# or the crash with the end of libFuzzer's log (exit status 1). New inputs go to a scratch
# folder that is removed afterwards: the seed corpus is only read. A crashing input, and the
# whole log, are kept in ARTIFACT_DIR. A target's own libFuzzer options (a tighter -timeout or
# -rss_limit_mb: an input that runs past them counts as a crash) are read from
# fuzz/<name>.options, one a line, where that file exists.
#   run.sh FUZZ_BINARY SEED_CORPUS SECONDS ARTIFACT_DIR
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: run.sh FUZZ_BINARY SEED_CORPUS SECONDS ARTIFACT_DIR" >&2; exit 2; }
binary=$1
seeds=$2
seconds=$3
artifacts=$4
name=$(basename "$binary")
name=${name#fuzz_}
options=()
optionsfile="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$name.options"
[ -f "$optionsfile" ] && mapfile -t options < <(grep -v '^[[:space:]]*\(#\|$\)' "$optionsfile")

[ -d "$seeds" ] && [ -n "$(ls -A "$seeds")" ] || { echo "$name: no seed corpus in $seeds" >&2; exit 1; }
mkdir -p "$artifacts"
rm -f "$artifacts"/crash-* "$artifacts"/leak-* "$artifacts"/timeout-* "$artifacts"/oom-*
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
log="$artifacts/fuzz.log"

status=0
"$binary" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
          -artifact_prefix="$artifacts/" "${options[@]}" "$scratch" "$seeds" > "$log" 2>&1 || status=$?

stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -n 1; }
executions=$(stat number_of_executed_units)
rate=$(stat average_exec_per_sec)
units=$(find "$scratch" -type f | wc -l)
if [ "$status" -ne 0 ] || [ -z "$executions" ]; then
  tail -n 60 "$log" >&2
  found=$(find "$artifacts" -maxdepth 1 -type f ! -name fuzz.log | head -n 1)
  echo "$name: CRASH (exit status $status) after ${executions:-?} executions${found:+; input kept in $found}" >&2
  exit 1
fi
echo "$name: $executions executions in $seconds s ($rate/s), $units new inputs, no crash"
