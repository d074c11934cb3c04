#!/usr/bin/env bash
# Runs every test of a GoogleTest program that a filter selects, each in a process of its own, for
# tests that need a fresh process (what only the first dialog of a program meets), and fails when
# any of them fails.
# Usage: each_test_alone.sh <program> <filter>
set -euo pipefail
program=$1
filter=$2
mapfile -t tests < <("$program" --gtest_list_tests --gtest_filter="$filter" |
                     awk '/^[^ ]/ {suite = $1} /^  / {print suite $1}')
if ((${#tests[@]} == 0)); then
  echo "no test matches $filter" >&2
  exit 1
fi
failed=0
for test in "${tests[@]}"; do
  "$program" --gtest_filter="$test" || failed=1
done
exit "$failed"
