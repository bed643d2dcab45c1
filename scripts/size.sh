#!/usr/bin/env bash
# Reports the stripped size of each binary given, with `size` per segment.
# With --max BYTES first, fails when a stripped binary is larger.
set -eu
max=
if [[ ${1:-} == --max ]]; then max=$2; shift 2; fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for binary in "$@"; do
  machine=$(readelf -h "$binary" | sed -n 's/^ *Machine: *//p')
  case $machine in
    ARM) tools=arm-linux-gnueabihf- ;;
    AArch64) tools=aarch64-linux-gnu- ;;
    *) tools= ;;
  esac
  linkage=dynamic
  readelf -l "$binary" | grep -q INTERP || linkage=static
  "${tools}strip" -o "$work/stripped" "$binary"
  bytes=$(stat -c %s "$work/stripped")
  printf '%s (%s, %s): %d bytes stripped (%d KiB)\n' "$binary" "$machine" "$linkage" "$bytes" $(((bytes + 1023) / 1024))
  "${tools}size" "$work/stripped" | sed 's/^/  /'
  if [[ -n $max && $bytes -gt $max ]]; then
    echo "  larger than the limit of $max bytes" >&2
    status=1
  fi
done
exit $status
