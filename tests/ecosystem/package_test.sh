#!/usr/bin/env bash
# The Debian package: CPack builds it from the build tree; its control fields
# are right (dependencies computed from the binary), it holds the program, the
# compressed manual page and the examples, its binary is stripped, and the
# binary extracted from it runs. Exit 77 (skip) without dpkg-dev.
# Usage: package_test.sh CPACK BUILD_DIR VERSION SOURCE_DIR
set -u
shopt -s nullglob
cpack=$1 build=$2 version=$3 source=$4
for tool in dpkg-deb dpkg-shlibdeps readelf; do
  command -v $tool >/dev/null || { echo "$tool not installed (dpkg-dev, binutils)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"; exit 1
fi
debs=("$work"/out/*.deb)
if [[ ${#debs[@]} != 1 || ! -f ${debs[0]} ]]; then
  echo "expected one .deb, found: ${debs[*]}"; exit 1
fi
deb=${debs[0]}
arch=$(dpkg --print-architecture)

failed=0
fail() { echo "$*"; failed=1; }
[[ $(basename "$deb") == "jobview_${version}_$arch.deb" ]] || fail "file name $(basename "$deb")"
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == jobview ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version), expected $version"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
[[ $(field Section) == utils ]] || fail "Section: $(field Section)"
[[ $(field Maintainer) == *@* ]] || fail "Maintainer: $(field Maintainer)"
description=$(field Description)
[[ $(sed -n 1p <<<"$description") == "display the job logs of a printing device" &&
   $(sed -n 2p <<<"$description") == " jobview shows the accounting files"* ]] ||
  fail "Description: $description"
# Computed by dpkg-shlibdeps: the C library always, with a minimum version.
[[ $(field Depends) =~ (^|, )libc6\ \(\>=\ [0-9] ]] || fail "Depends: $(field Depends)"

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for path in ./usr/bin/jobview ./usr/share/man/man1/jobview.1.gz; do
  grep -qx "$path" <<<"$contents" || fail "not in the package: $path"
done
for file in "$source"/examples/*.tpl "$source"/examples/*.log; do
  [[ -f $file ]] || continue
  path=./usr/share/jobview/examples/$(basename "$file")
  grep -qx "$path" <<<"$contents" || fail "not in the package: $path"
done
if grep -v -e '^\./usr/' -e '^\./$' <<<"$contents" | grep -q .; then
  fail "files outside /usr: $(grep -v -e '^\./usr/' -e '^\./$' <<<"$contents")"
fi

# Debian's own checker has nothing to say about it (when it is installed).
if command -v lintian >/dev/null; then
  tags=$(lintian --tag-display-limit 0 "$deb" 2>/dev/null)
  [[ -z $tags ]] || fail "lintian: $tags"
fi
for path in ./usr/share/doc/jobview/copyright ./usr/share/doc/jobview/changelog.gz; do
  grep -qx "$path" <<<"$contents" || fail "not in the package: $path"
done

dpkg-deb -x "$deb" "$work/root"
bin=$work/root/usr/bin/jobview
if readelf -S "$bin" | grep -q '\.debug_'; then
  fail "the packaged binary is not stripped"
fi
usage=$(cd "$work" && JOBVIEW_LOCK_DIR="$work" "$bin" -h)
status=$?
[[ $status == 0 && $(sed -n 2p <<<"$usage") == "Usage: jobview "* ]] ||
  fail "extracted jobview -h: status $status, output: $usage"
exit $failed
