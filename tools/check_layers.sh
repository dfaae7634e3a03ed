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
#
# Includes are read as the compiler reads them: lines joined at a backslash, comments taken out
# (so "/**/#include" is an include, and one inside a comment is not), string literals skipped. The
# path is resolved as the compiler finds the header (beside the including file first, for a quoted
# one, then from the top of the tree), with "." and ".." taken out, before its folder is ranked:
# "comm/../workspace/x.h" is a workspace header.
ACROSS=""

src=${1:-$(dirname "$0")/../src}
cd "$src" || exit 2

# Every folder and file of the tree, to find a header as the compiler would.
DIRS=$(find . -type d | sed 's|^\./||')
FILES=$(find . -type f | sed 's|^\./||')
export DIRS FILES

out=$(find . \( -name '*.h' -o -name '*.cpp' \) -exec awk -v across=" $ACROSS " '
BEGIN {
  n = split(ENVIRON["DIRS"], list, "\n"); for (i = 1; i <= n; i++) isdir[list[i]] = 1
  n = split(ENVIRON["FILES"], list, "\n"); for (i = 1; i <= n; i++) isfile[list[i]] = 1
  isdir[""] = 1
  q = "\047"
}
function floor(folder) {
  if (folder == "platform") return 0
  if (folder == "comm") return 1
  if (folder == "workspace") return 2
  if (folder == "monitor" || folder == "trending" || folder == "limitswitch") return 3
  if (folder == "app" || folder == "") return 4
  return -1
}
# The line with comments made blanks and the text of raw strings left out, carrying an open comment
# or raw string over to the next line (incomment, rawend). String and character literals are kept
# as they are, so that a "/*" inside one opens no comment.
function strip(s,    out, m, c, run) {
  out = ""
  while (s != "") {
    if (incomment) {
      m = index(s, "*/"); if (!m) return out
      s = substr(s, m + 2); incomment = 0; out = out " "; continue
    }
    if (rawend != "") {
      m = index(s, rawend); if (!m) return out
      s = substr(s, m + length(rawend)); rawend = ""; continue
    }
    if (!match(s, /[\/"\047]/)) return out s
    out = out substr(s, 1, RSTART - 1); s = substr(s, RSTART); c = substr(s, 1, 1)
    if (substr(s, 1, 2) == "/*") { incomment = 1; s = substr(s, 3); continue }
    if (substr(s, 1, 2) == "//") return out
    if (c == "/") { out = out c; s = substr(s, 2); continue }
    match(out, /[A-Za-z0-9_.]*$/); run = substr(out, RSTART)
    if (c == q && run ~ /^\.?[0-9]/) { out = out c; s = substr(s, 2); continue }   # a digit separator
    if (c == "\"" && run ~ /^(u8|u|U|L)?R$/ && match(s, /^"[^ ()\\\t]*\(/)) {
      rawend = ")" substr(s, 2, RLENGTH - 2) "\""; out = out "\"\""; s = substr(s, RLENGTH + 1); continue
    }
    # A string or character literal, up to its closing quote; a backslash escapes the next character.
    for (m = 2; m <= length(s) && substr(s, m, 1) != c; m++)
      if (substr(s, m, 1) == "\\") m++
    out = out substr(s, 1, m); s = substr(s, m + 1)
  }
  return out
}
# `path` taken from the folder `dir` ("" for the top), "." and ".." taken out. Strict: as the file
# system takes it, a ".." only after a folder that exists ("" when the path cannot be walked).
function resolve(dir, path, strict,    n, part, i, p) {
  p = dir
  n = split(path, part, "/")
  for (i = 1; i <= n; i++) {
    if (part[i] == "" || part[i] == ".") continue
    if (part[i] != "..") p = (p == "" ? part[i] : p "/" part[i])
    else if (strict && !(p in isdir)) return ""
    else if (p == "" || p ~ /(^|\/)\.\.$/) p = (p == "" ? ".." : p "/..")
    else if (index(p, "/")) sub(/\/[^\/]*$/, "", p)
    else p = ""
  }
  return p
}
# The header that an include of `inc` in `file` reaches: for a quoted one, beside the file when it
# is there, else from the top of the tree.
function header(file, inc, quoted,    dir, p) {
  if (quoted) {
    dir = index(file, "/") ? file : ""
    sub(/\/[^\/]*$/, "", dir)
    p = resolve(dir, inc, 1)
    if (p != "" && (p in isfile)) return p
  }
  return resolve("", inc, 0)
}
FNR == 1 {
  file = FILENAME; sub(/^\.\//, "", file)
  incomment = 0; rawend = ""; carry = ""; joined = ""
}
{
  line = $0; sub(/\r$/, "", line)
  if (line ~ /\\$/) { joined = joined substr(line, 1, length(line) - 1); next }
  line = joined line; joined = ""
  # A comment or raw string that goes on past the line keeps the line open: what follows its end
  # belongs to the same line.
  code = carry strip(line)
  if (incomment || rawend != "") { carry = code; next }
  carry = ""
  # #include, and its spellings #import, #include_next and %:include.
  if (code !~ /^[ \t\f\v]*(#|%:)[ \t\f\v]*(include|include_next|import)[ \t\f\v]*["<]/) next
  sub(/^[ \t\f\v]*(#|%:)[ \t\f\v]*(include|include_next|import)[ \t\f\v]*/, "", code)
  quoted = (substr(code, 1, 1) == "\"")
  inc = substr(code, 2)
  m = index(inc, quoted ? "\"" : ">")
  if (!m) next
  inc = substr(inc, 1, m - 1)
  if (inc ~ /^\//) next                            # a path of the system, not of the tree
  path = header(file, inc, quoted)
  if (!index(path, "/")) next                      # a header beside the file, or a library header
  to = substr(path, 1, index(path, "/") - 1)
  if (!quoted && floor(to) < 0) next               # <sys/...>, <QtCore/...>: not ours
  from = (index(file, "/") ? substr(file, 1, index(file, "/") - 1) : "")
  if (from == to) next
  if (floor(to) < 0) why = "\"" to "\" is no folder of the floors"
  else if (floor(to) > floor(from)) why = (from == "" ? "top" : from) " may not include from " to ", a floor above it"
  else if (floor(to) == 3 && floor(from) == 3 && !index(across, " " from ">" to " "))
    why = "feature folders " from " and " to " include nothing from each other"
  else next
  printf "%s: includes \"%s\"%s: %s\n", file, inc, (path == inc ? "" : " (" path ")"), why
  bad = 1
}
END { exit bad }' {} +)
status=$?
[ -n "$out" ] && printf '%s\n' "$out" | LC_ALL=C sort
[ "$status" -eq 0 ] && echo "Include floors: every include goes down or stays in its folder."
exit "$status"
