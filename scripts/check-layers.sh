#!/usr/bin/env bash
# The rooms' rules, read off the #include lines under src/: the core never includes the ui,
# core/settings and core/files include no other room, no two rooms include each other, and
# quillon-check (src/check) is built on the core alone.
set -euo pipefail
src=${1:-$(dirname "$0")/../src}
edges=$(cd "$src" && for room in core/* ui/*; do
  grep -ho '^#include "[a-z]*/[a-z]*/' "$room"/* 2>/dev/null |
    sed 's/#include "//; s#/$##' | sort -u | grep -vx "$room" | sed "s#^#$room #" || true
done)
bad=0
while read -r from to; do
  [ -n "$from" ] || continue
  case "$from $to" in
    core/*\ ui/*) echo "core room $from includes $to"; bad=1 ;;
    core/settings\ * | core/files\ *) echo "$from includes $to"; bad=1 ;;
  esac
  if grep -qx "$to $from" <<<"$edges"; then echo "$from and $to include each other"; bad=1; fi
done <<<"$edges"
if grep -l '^#include "ui/' "$src"/check/* 2>/dev/null; then echo "check includes the ui"; bad=1; fi
[ "$bad" = 0 ] && echo "rooms: $(wc -l <<<"$edges") dependencies, all one way"
exit "$bad"
