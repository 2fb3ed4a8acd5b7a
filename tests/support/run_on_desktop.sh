#!/bin/sh
# Runs Google tests of a Windows test program on a Wine virtual desktop of a given size (the
# screen the program sees), and fails unless they ran and passed. The desktop does not hand back
# the program's exit code, so the verdict comes from the program's XML report.
# Usage: run_on_desktop.sh WIDTHxHEIGHT WINE-EXEC PROGRAM FILTER REPORT
set -eu
size=$1 wine_exec=$2 program=$3 filter=$4 report=$5
rm -f "$report"
"$wine_exec" explorer "/desktop=ssTest$size,$size" "$program" --gtest_also_run_disabled_tests \
  "--gtest_filter=$filter" "--gtest_output=xml:Z:$report"
[ -f "$report" ] || { echo "no report from $program"; exit 1; }
grep -q '<testcase ' "$report" || { echo "no test matched $filter"; exit 1; }
if grep -q '<failure' "$report"; then
  cat "$report"
  exit 1
fi
