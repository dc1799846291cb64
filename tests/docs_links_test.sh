#!/bin/bash
# Checks that every relative link in README.md and docs/*.md leads to a file
# or folder that exists, and every #anchor to a heading of its document, as
# GitHub names a heading's anchor: lower case, punctuation dropped, blanks
# made hyphens, a repeated name numbered -1, -2, ... Links to the web
# (https:, mailto:) are not followed, nor links inside code.
#
#   docs_links_test.sh [<source folder>]
set -euo pipefail
repo="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$repo"

# The anchors of a document's headings, one a line.
anchors() {
  awk '
    /^(```|~~~)/ { fence = !fence; next }
    fence { next }
    /^#+ / {
      heading = $0
      sub(/^#+ +/, "", heading)
      sub(/ +#+ *$/, "", heading)
      heading = tolower(heading)
      gsub(/[^a-z0-9 _-]/, "", heading)
      gsub(/ /, "-", heading)
      repeat = seen[heading]++
      print (repeat ? heading "-" repeat : heading)
    }' "$1"
}

# "<line> <target>" for each link of a document that is not to the web:
# inline links and images, and reference definitions.
links() {
  awk '
    /^(```|~~~)/ { fence = !fence; next }
    fence { next }
    {
      text = $0
      gsub(/`[^`]*`/, "", text)
      if (match(text, /^ *\[[^]]+\]: */)) {
        target = substr(text, RSTART + RLENGTH)
        sub(/ .*/, "", target)
        if (target !~ /^[a-z]+:/) print NR " " target
        next
      }
      while (match(text, /\]\([^)]+\)/)) {
        target = substr(text, RSTART + 2, RLENGTH - 3)
        text = substr(text, RSTART + RLENGTH)
        sub(/ .*/, "", target)
        if (target !~ /^[a-z]+:/) print NR " " target
      }
    }' "$1"
}

broken=()
checked=0
for doc in README.md docs/*.md; do
  [ -f "$doc" ] || continue
  while read -r line target; do
    checked=$((checked + 1))
    path="${target%%#*}"
    anchor=""
    [[ "$target" != *"#"* ]] || anchor="${target#*#}"
    if [ -z "$path" ]; then
      destination="$doc"
    else
      destination="$(dirname "$doc")/$path"
    fi
    if [ ! -e "$destination" ]; then
      broken+=("$doc:$line: $target: no such file")
    elif [ -n "$anchor" ] && { [[ "$destination" != *.md ]] \
      || ! anchors "$destination" | grep -qxF -- "$anchor"; }; then
      broken+=("$doc:$line: $target: no heading in $destination has the anchor #$anchor")
    fi
  done < <(links "$doc")
done

if [ ${#broken[@]} -gt 0 ]; then
  printf '%s\n' "${broken[@]}" >&2
  echo "FAILED: ${#broken[@]} of $checked links lead nowhere" >&2
  exit 1
fi
echo "$checked links in README.md and docs/ resolve"
