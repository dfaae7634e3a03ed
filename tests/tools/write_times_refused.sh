#!/bin/sh
# boardsim refuses a write-times file too short to hold the shared record, with a message and exit
# status 1, rather than mapping past its end: an empty file, and one cut after its marker.
#
#   write_times_refused.sh BOARDSIM
boardsim=$1
dir=$(mktemp -d) || exit 2
trap 'rm -rf "$dir"' EXIT
: >"$dir/empty"
printf 'WRETIMES' >"$dir/cut"
bad=0
for f in empty cut; do
  timeout 5 "$boardsim" --write-times "$dir/$f" >/dev/null 2>"$dir/err"
  rc=$?
  cat "$dir/err"
  if [ "$rc" -ne 1 ] || ! grep -q "cannot read the write times in $dir/$f: it holds" "$dir/err"; then
    echo "$f: not refused (exit status $rc)"
    bad=1
  fi
done
exit "$bad"
