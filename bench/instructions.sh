#!/bin/sh
# Prints the instructions per step of the helicopter, the floor module and
# the empty module under callgrind, and their ratios; and of the helicopter
# flown by the rigid-body physics, as a frame's vessel is.
#   instructions.sh BUILD_DIR [STEPS]
set -eu
build=$1
steps=${2:-2000}
count() {
  out=$(mktemp)
  valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$out" \
    "$build/step_instructions" "$1" "$steps" ${2:-} >/dev/null 2>&1
  total=$(sed -n "s/^totals: *//p" "$out" | head -n 1)
  rm -f "$out"
  echo $((total / steps))
}
helicopter=$(count helicopter)
floor=$(count floor)
empty=$(count empty)
physics=$(count helicopter physics)
printf '\n%-40s %12s\n' "instructions per step (callgrind)" "instructions"
printf '%-40s %12s\n' "helicopter" "$helicopter" "floor module (48 host calls)" "$floor" \
  "empty module" "$empty" "helicopter with the rigid-body physics" "$physics"
awk -v h="$helicopter" -v f="$floor" -v e="$empty" 'BEGIN {
  printf "%-40s %12.2f\n", "helicopter / floor", h / f
  printf "%-40s %12.1f\n", "floor per host call", f / 48
  printf "%-40s %12.1f\n", "floor per host call, less the empty step", (f - e) / 48
}'
