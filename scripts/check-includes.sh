#!/usr/bin/env bash
# Fails when a source file includes a header of a part above its own.
# scripts/check-includes.sh [ROOT]   (ROOT: the source tree, by default this one)
#
# The parts from the bottom up. A file may include headers of its own part
# and of parts with a lower rank; parts of the same rank never include each
# other. Every folder under plugin/ must be listed here, and no source sits
# at plugin/'s root. tests/, bench/ and tools/ may include any part.
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
cd "$root"

parts='
1  platform
2  common
2  controls
2  zip
3  host
4  plugin/model
5  families
6  plugin/app
7  plugin/device
8  plugin/workspace
9  appbase
9  plugin/sound
10 plugin/cloud
11 plugin/usage
12 plugin/dialogs
13 plugin/upload
14 plugin/windows
15 plugin/pages
16 plugin/entry
'

# Headers that a part may include although their part is not below it, each
# holding data types only: the model is built over a family's tables (whose
# entries are the model's records), and the workspace keeps the cloud effect
# list, whose rows the catalogue's records header describes.
allowed='
plugin/model families/FamilyData.h
plugin/workspace plugin/cloud/CloudRecords.h
'

dirs=()
for d in $(printf '%s\n' "$parts" | awk 'NF { split($2, p, "/"); print p[1] }' | sort -u); do
  [ -d "$d" ] && dirs+=("$d")
done
[ ${#dirs[@]} -gt 0 ] || { echo "check-includes: no sources under $PWD"; exit 1; }

find "${dirs[@]}" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) -print0 |
  LC_ALL=C sort -z | xargs -0 awk -v parts="$parts" -v allowed="$allowed" '
function partof(path,    best, p) {
  best = ""
  for (p in rank)
    if (index(path, p "/") == 1 && length(p) > length(best)) best = p
  return best
}
BEGIN {
  n = split(parts, lines, "\n")
  for (i = 1; i <= n; i++) if (split(lines[i], f, " ") == 2) rank[f[2]] = f[1] + 0
  n = split(allowed, lines, "\n")
  for (i = 1; i <= n; i++) if (split(lines[i], f, " ") == 2) exempt[f[1] " " f[2]] = 1
}
FNR == 1 {
  part = partof(FILENAME)
  if (part == "") {
    print FILENAME ": belongs to no part: put it in a folder listed in scripts/check-includes.sh"
    bad = 1
  }
}
part != "" && /^[ \t]*#[ \t]*include[ \t]*"/ {
  path = $0
  sub(/^[^"]*"/, "", path)
  sub(/".*$/, "", path)
  target = partof(path)
  if (target == "") {
    if (path ~ /^plugin\//) {
      print FILENAME ":" FNR ": includes " path ", which belongs to no part"
      bad = 1
    }
    next
  }
  if (target != part && rank[target] >= rank[part] && !((part " " path) in exempt)) {
    print FILENAME ":" FNR ": " part " includes " path " of " target ", which is not below it"
    bad = 1
  }
}
END { exit bad }
' || { echo "check-includes: a part includes one that is not below it (order in scripts/check-includes.sh)"; exit 1; }
echo "check-includes: every part includes only the parts below it"
