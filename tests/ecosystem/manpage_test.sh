#!/usr/bin/env bash
# The manual page renders without a single groff warning (all warnings on),
# also through man(1) when it is installed, and has every section a user looks
# for. Its full template example is an end-to-end case (EXAMPLE_CASE): the
# manual shows the case's template, log and output exactly, so the two cannot
# drift apart. Every message that the program's code passes to error() is
# listed under DIAGNOSTICS (SOURCE_DIR), so a new message cannot go unexplained.
# Exit 77 (skip) when groff is not installed.
# Usage: manpage_test.sh PAGE [EXAMPLE_CASE [SOURCE_DIR]]
set -u
page=$1
example_case=${2:-}
source_dir=${3:-}
command -v groff >/dev/null || { echo "groff not installed"; exit 77; }
export LC_ALL=C

failed=0
warnings=$(groff -ww -z -man -Tutf8 "$page" 2>&1)
if [[ -n $warnings ]]; then
  echo "groff warnings:"; echo "$warnings"; failed=1
fi
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  if [[ -n $warnings ]]; then
    echo "man warnings:"; echo "$warnings"; failed=1
  fi
fi
# mandoc, where a packager has it, is stricter about portable macros.
if command -v mandoc >/dev/null; then
  warnings=$(mandoc -Tlint -Wwarning "$page" 2>&1)
  if [[ -n $warnings ]]; then
    echo "mandoc warnings:"; echo "$warnings"; failed=1
  fi
fi

text=$(groff -man -Tascii -P-c -P-b -P-u "$page" 2>/dev/null)
for section in NAME SYNOPSIS DESCRIPTION OPTIONS ENVIRONMENT FILES "JOB LOG FORMAT" \
               "TEMPLATE FORMAT" "EXIT STATUS" DIAGNOSTICS EXAMPLES; do
  if ! grep -qx "$section" <<<"$text"; then
    echo "missing section: $section"; failed=1
  fi
done
for name in JLOG_TEMPLATE SESSPATH JOBVIEW_LOCK_DIR TZ accounting.lock joblog.tpl; do
  grep -q "$name" <<<"$text" || { echo "not mentioned: $name"; failed=1; }
done
# Example blocks stand 14 columns in (7 for the section, 7 for the block).
if [[ -n $example_case ]]; then
  for file in example.tpl job.log stdout; do
    block=$(sed 's/^./              &/' "$example_case/$file")
    [[ $text == *"$block"* ]] || { echo "the manual does not show $example_case/$file as it is"; failed=1; }
  done
fi

if [[ -n $source_dir ]]; then
  # Wide lines, so that no message is broken; a conversion stands for any text.
  wide=$(groff -man -Tascii -rLL=250n -P-c -P-b -P-u "$page" 2>/dev/null | sed -n '/^DIAGNOSTICS$/,/^EXAMPLES$/p')
  count=0
  while IFS= read -r message; do
    count=$((count + 1))
    pattern=$(sed -E 's/\\n$//; s/[][\\.^$*+?(){}|]/\\&/g; s/%4?d/.*/g; s/%s/.+/g; s/%c/./g' <<<"$message")
    grep -Eq "^ *$pattern\$" <<<"$wide" || { echo "not under DIAGNOSTICS: $message"; failed=1; }
  done < <(grep -rhPzo '\berror\(\s*"(?:[^"\\]|\\.)*"' "$source_dir" --include='*.cc' | tr '\0' '\n' |
           sed -E 's/^error\(\s*"//; s/"$//' | sort -u)
  ((count > 0)) || { echo "no message found in $source_dir"; failed=1; }
fi
exit $failed
