#!/bin/sh
# Prints the instructions the outputs of the default flight take under
# callgrind (stable on a noisy machine, unlike their time), beside the
# counts before the outputs were brought to their floor and the targets.
#   outputs.sh BUILD_DIR
set -euf
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Instructions of the whole run, or of the functions matching the patterns
# and all they call. Callgrind toggles collection at each matching function,
# so the patterns name only the outputs' entry points, none of which calls
# another.
count() {
  out="$work/callgrind.out"
  toggles=""
  while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
    toggles="$toggles --toggle-collect=$1"
    shift
  done
  shift
  # shellcheck disable=SC2086
  valgrind --tool=callgrind $toggles --callgrind-out-file="$out" \
    "$build/vesselsim" --quiet --out "$work/out" "$@" >/dev/null 2>&1
  sed -n "s/^totals: *//p" "$out" | head -n 1
}
entries() {
  for f in VesselCreated StepDone EventHappened RunEnded Publish; do printf '%s ' "vsim::$1::$f*"; done
}
# shellcheck disable=SC2046
csv=$(count $(entries CsvLog) --)
# shellcheck disable=SC2046
svg=$(count $(entries SvgPlot) --)
# shellcheck disable=SC2046
page=$(count $(entries FlightPage) -- --html)
untraced=$(count --)
traced=$(count -- --trace "$work/trace.txt")
trace=$((traced - untraced))
# The same flight on the commit before (889ec86), measured the same way.
before_csv=341712007
before_svg=88523966
before_trace=1431675755
before_page=318185422
printf '\n%-44s %14s %14s %14s\n' "outputs of the default flight (callgrind)" "instructions" \
  "before" "target"
row() {
  printf '%-44s %14s %14s %14s %s\n' "$1" "$2" "$3" "$4" "$5"
}
judge() {
  if [ "$1" -le "$2" ]; then echo met; else echo MISSED; fi
}
row "CSV log" "$csv" "$before_csv" "" ""
row "SVG plot (recording and drawing)" "$svg" "$before_svg" "" ""
row "trace (the traced flight less the untraced)" "$trace" "$before_trace" "" ""
row "flight page (recording and writing)" "$page" "$before_page" "" ""
untraced_outputs=$((csv + svg))
traced_outputs=$((csv + svg + trace))
before_untraced=$((before_csv + before_svg))
before_traced=$((before_csv + before_svg + before_trace))
row "outputs, untraced (CSV + SVG)" "$untraced_outputs" "$before_untraced" \
  "$((before_untraced / 3))" "$(judge "$untraced_outputs" $((before_untraced / 3)))"
row "outputs, traced (CSV + SVG + trace)" "$traced_outputs" "$before_traced" \
  "$((before_traced / 3))" "$(judge "$traced_outputs" $((before_traced / 3)))"
row "whole flight, untraced" "$untraced" "646994872" "" ""
