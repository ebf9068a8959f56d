#!/usr/bin/env bash
# Starts the desktop program unpacked from the Debian package (through its link in usr/bin) on an X
# server of its own, and waits for its window titled "Stillpress Software". On a first start the
# program records the sample videos it finds beside itself: a record that is not empty shows that the
# installed program found its files.
# Usage: installed_window_test.sh ROOT
set -uo pipefail
root=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_CONFIG_HOME=$home/.config ROOT=$root
unset QT_QPA_PLATFORM

# shellcheck disable=SC2016  # expanded by the shell under xvfb-run
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$ROOT/usr/bin/stillpress" 2>"$HOME/stderr" &
  program=$!
  seen=""
  for _ in $(seq 300); do
    seen=$(xwininfo -root -tree | grep -F "\"Stillpress Software\"") && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  kill "$program" 2>/dev/null
  wait "$program" 2>/dev/null
  if [ -z "$seen" ]; then
    echo "FAIL: no window titled \"Stillpress Software\" within 30 s; the program said:" >&2
    cat "$HOME/stderr" >&2
    exit 1
  fi
  echo "window: $seen"
'
status=$?
[ "$status" -eq 0 ] || exit "$status"

settings="$XDG_CONFIG_HOME/Quendrel/Stillpress Software.conf"
if ! grep -q '^Snapshot=.' "$settings" 2>/dev/null; then
  echo "FAIL: the program recorded no sample videos: it did not find its files beside itself" >&2
  cat "$settings" >&2 2>/dev/null
  exit 1
fi
echo "The installed program started and found its files."
