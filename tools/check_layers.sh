#!/bin/sh
# Checks that the source folders form floors: every `#include "..."` under the source tree names a
# header of its own folder or of a folder below it, and the feature folders (monitor, trending,
# limitswitch) include nothing from each other. Prints each include that breaks this, with its file,
# and fails when there is one.
#
#   tools/check_layers.sh [SOURCE_DIR]    (default: the src folder beside tools)
#
# Floors, lowest first; files at the top of the source tree (main.cpp) stand on all of them.
#   0 platform   1 comm   2 workspace   3 monitor trending limitswitch   4 app
# An include between two feature folders that one of them really needs goes in ACROSS as
# "from>to" (none today).
ACROSS=""

src=${1:-$(dirname "$0")/../src}
cd "$src" || exit 2

find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | LC_ALL=C sort |
while IFS= read -r file; do
  awk -v file="$file" '/^[ \t]*#[ \t]*include[ \t]*"/ {
    inc = $0
    sub(/^[^"]*"/, "", inc)
    sub(/".*$/, "", inc)
    print file " " inc
  }' "$file"
done |
awk -v across=" $ACROSS " '
function floor(folder) {
  if (folder == "platform") return 0
  if (folder == "comm") return 1
  if (folder == "workspace") return 2
  if (folder == "monitor" || folder == "trending" || folder == "limitswitch") return 3
  if (folder == "app" || folder == "") return 4
  return -1
}
{
  file = $1; inc = $2
  from = (index(file, "/") ? substr(file, 1, index(file, "/") - 1) : "")
  if (!index(inc, "/")) next                       # a header beside the file
  to = substr(inc, 1, index(inc, "/") - 1)
  if (from == to) next
  if (floor(to) < 0) why = "\"" to "\" is no folder of the floors"
  else if (floor(to) > floor(from)) why = (from == "" ? "top" : from) " may not include from " to ", a floor above it"
  else if (floor(to) == 3 && floor(from) == 3 && !index(across, " " from ">" to " "))
    why = "feature folders " from " and " to " include nothing from each other"
  else next
  printf "%s: includes \"%s\": %s\n", file, inc, why
  bad = 1
}
END { exit bad }'
status=$?
[ "$status" -eq 0 ] && echo "Include floors: every include goes down or stays in its folder."
exit "$status"
