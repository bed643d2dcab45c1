#!/usr/bin/env bash
# Every #include of a source file under src/ points at its own folder or at a
# folder below it in this list, top to bottom: the top of the program calls
# everything below it, and nothing below reaches back up.
set -u
layers=(driver select render joblog template diag platform)
src=${1:-$(dirname "$0")/../src}
rank() { local i; for i in "${!layers[@]}"; do [[ ${layers[$i]} == "$1" ]] && echo "$i" && return; done; echo -1; }

status=0
while IFS= read -r file; do
  from=${file#"$src"/}; from=${from%%/*}
  from_rank=$(rank "$from")
  if ((from_rank < 0)); then echo "$file: folder '$from' is not a layer"; status=1; continue; fi
  while IFS= read -r to; do
    to_rank=$(rank "$to")
    if ((to_rank < from_rank)); then
      echo "$file includes $to/: an arrow back up from $from/"
      status=1
    fi
  done < <(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file")
done < <(find "$src" -name '*.cc' -o -name '*.h')
exit $status
