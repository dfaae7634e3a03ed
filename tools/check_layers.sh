#!/bin/sh
# Checks that the source folders form floors: every include of a header of the source tree (in quotes,
# or in angle brackets naming a folder of the floors) names a header of its own folder or of a folder
# below it, and the feature folders (monitor, trending, limitswitch) include nothing from each other.
# Prints each include that breaks this, with its file, and fails when there is one.
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

out=$(find . \( -name '*.h' -o -name '*.cpp' \) -exec awk -v across=" $ACROSS " '
function floor(folder) {
  if (folder == "platform") return 0
  if (folder == "comm") return 1
  if (folder == "workspace") return 2
  if (folder == "monitor" || folder == "trending" || folder == "limitswitch") return 3
  if (folder == "app" || folder == "") return 4
  return -1
}
/^[ \t]*#[ \t]*include[ \t]*["<]/ {
  file = FILENAME; sub(/^\.\//, "", file)
  inc = $0
  quoted = (inc ~ /include[ \t]*"/)
  sub(/^[^"<]*["<]/, "", inc)
  sub(/[">].*$/, "", inc)
  if (!index(inc, "/")) next                       # a header beside the file, or a library header
  to = substr(inc, 1, index(inc, "/") - 1)
  if (!quoted && floor(to) < 0) next               # <sys/...>, <QtCore/...>: not ours
  from = (index(file, "/") ? substr(file, 1, index(file, "/") - 1) : "")
  if (from == to) next
  if (floor(to) < 0) why = "\"" to "\" is no folder of the floors"
  else if (floor(to) > floor(from)) why = (from == "" ? "top" : from) " may not include from " to ", a floor above it"
  else if (floor(to) == 3 && floor(from) == 3 && !index(across, " " from ">" to " "))
    why = "feature folders " from " and " to " include nothing from each other"
  else next
  printf "%s: includes \"%s\": %s\n", file, inc, why
  bad = 1
}
END { exit bad }' {} +)
status=$?
[ -n "$out" ] && printf '%s\n' "$out" | LC_ALL=C sort
[ "$status" -eq 0 ] && echo "Include floors: every include goes down or stays in its folder."
exit "$status"
