#!/usr/bin/env bash
# valgrind's memcheck over the real window: a first start in an empty program directory
# (which writes the configuration and says so in a message box), then a second start that
# reads it. Fails on any memory error or definite leak, Qt's included, so that nothing of
# ours hides behind a library frame.
set -euo pipefail
driver=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

status=0
for run in first second; do
  log="$dir/$run.log"
  echo "== memcheck: $run start and close"
  QT_QPA_PLATFORM=offscreen valgrind --tool=memcheck --error-exitcode=99 \
    --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
    --num-callers=40 --suppressions="$here/valgrind.supp" --log-file="$log" \
    "$driver" "$dir" || status=$?
  grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost" "$log" || true
  # Errors whose stack reaches the program's own code, whatever Qt did around them.
  if grep -qE "quillon::|frmQLN2|frmSetup|frmAbout|frmAddEntry" "$log"; then
    echo "memcheck: a report passes through Quillon's code:"
    grep -B3 -A30 -E "^==[0-9]+== (Invalid|Conditional|Use of|Mismatched|Syscall|.*definitely lost)" \
      "$log" | head -200
    status=1
  fi
  if [ "$status" -ne 0 ]; then
    echo "memcheck: $run run failed ($status); the log follows"
    cat "$log"
    exit 1
  fi
done
# A real close stores the options, "Params" among them, which a fresh file lacks.
grep -q "^Params=" "$dir/QLN2.ini" || { echo "memcheck: the window never closed properly"; exit 1; }
echo "memcheck: no errors"
