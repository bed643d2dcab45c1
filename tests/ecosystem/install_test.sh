#!/usr/bin/env bash
# `make install` into a throw-away DESTDIR under a non-default prefix: every
# file lands where GNUInstallDirs puts it, and the installed program runs on
# the installed sample log with the installed templates, and shows the same
# as the binary of the build tree.
# Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR BUILT_BINARY
set -u
shopt -s nullglob
cmake=$1 build=$2 source=$3 built=$4
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=/opt/jobview

if ! DESTDIR="$root" "$cmake" --install "$build" --prefix "$prefix" >"$root.log" 2>&1; then
  cat "$root.log"; rm -f "$root.log"; exit 1
fi
rm -f "$root.log"

failed=0
fail() { echo "$*"; failed=1; }
bin=$root$prefix/bin/jobview
examples=$root$prefix/share/jobview/examples
[[ -x $bin ]] || fail "no executable $prefix/bin/jobview"
[[ -f $root$prefix/share/man/man1/jobview.1.gz ]] || fail "no manual page $prefix/share/man/man1/jobview.1.gz"
if [[ -f $root$prefix/share/man/man1/jobview.1.gz ]] &&
   ! cmp -s <(gzip -dc "$root$prefix/share/man/man1/jobview.1.gz") "$source/doc/jobview.1"; then
  fail "installed manual page differs from doc/jobview.1"
fi
for file in "$source"/examples/*.tpl "$source"/examples/*.log; do
  [[ -f $file ]] || continue
  cmp -s "$file" "$examples/$(basename "$file")" || fail "example not installed: $(basename "$file")"
done
[[ -x $bin ]] || exit 1

# Each run starts in an empty directory (no joblog.tpl found by chance) with
# its own lock directory and no template variables.
run() {
  local dir
  dir=$(mktemp -d -p "$root")
  (cd "$dir" && env -u JLOG_TEMPLATE -u SESSPATH TZ=UTC LC_ALL=C JOBVIEW_LOCK_DIR="$dir" "$@")
}

usage=$(run "$bin" -h)
status=$?
[[ $status == 0 ]] || fail "jobview -h: status $status"
[[ $(sed -n 2p <<<"$usage") == "Usage: jobview [-l displayLines] [-m maxJobs] [-M fill] \\" ]] ||
  fail "jobview -h: unexpected usage text:"$'\n'"$usage"

sample=$examples/sample.log
if [[ -f $sample ]]; then
  for template in "" "$examples"/*.tpl; do
    args=("$sample")
    [[ -n $template ]] && args=(-t "$template" "$sample")
    installed=$(run "$bin" "${args[@]}" 2>&1); s1=$?
    expected=$(run "$built" "${args[@]}" 2>&1); s2=$?
    what="jobview ${args[*]#$root}"
    [[ $s1 == 0 ]] || fail "$what: status $s1: $installed"
    [[ -n $installed ]] || fail "$what: no output"
    [[ $installed == "$expected" && $s1 == "$s2" ]] || fail "$what: differs from the build tree's binary"
  done
else
  echo "no examples/sample.log yet: only -h was run"
fi
exit $failed
