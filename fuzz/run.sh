#!/usr/bin/env bash
# Runs every fuzz target of a FUZZ build for a bounded time each, from its
# seeds (the flights, fuzz/seeds/TARGET), its kept findings and the corpus
# it has grown so far, then one table of the executions. A finding fails
# the run; its input is under BUILD/findings/.
set -euo pipefail
build=$1
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$build/findings"
declare -A dict=([fuzz_parser]=1 [fuzz_flight]=1)
declare -A seeds=([fuzz_parser]=1 [fuzz_flight]=1)
summary=()
status=0
for target in fuzz_parser fuzz_flight fuzz_airfoils fuzz_outputs fuzz_page; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  inputs=("$corpus")
  [ -n "${seeds[$target]:-}" ] && inputs+=("$here/../flights")
  [ -d "$here/seeds/$target" ] && inputs+=("$here/seeds/$target")
  [ -d "$here/findings/$target" ] && inputs+=("$here/findings/$target")
  options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=4096
    -artifact_prefix="$build/findings/$target-" -print_final_stats=1)
  [ -n "${dict[$target]:-}" ] && options+=(-dict="$here/script.dict")
  log="$build/$target.log"
  echo "== $target for $seconds s"
  if "$build/$target" "${options[@]}" "${inputs[@]}" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    summary+=("$(printf '%-14s %12s executions in %s s, no finding' "$target" "${runs:-?}" "$seconds")")
  else
    tail -40 "$log"
    summary+=("$(printf '%-14s FINDING, see %s and %s/findings/' "$target" "$log" "$build")")
    status=1
  fi
done
printf '%s\n' "${summary[@]}"
exit $status
