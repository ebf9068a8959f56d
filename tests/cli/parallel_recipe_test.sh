#!/usr/bin/env bash
# Runs README's one-machine GNU parallel recipe, word for word, on a small archive of made videos of
# several containers: every video's frames land in the output folder of its own folder, videos of one
# name in two folders do not collide, folders without videos get nothing, and every job succeeds; run
# again, it writes nothing and leaves every image as it was.
# Usage: parallel_recipe_test.sh README CLI_FOLDER
set -uo pipefail
readme=$1 cli_folder=$2

# The first code block after the line that opens "On one machine", and the names of videos it finds.
recipe=$(awk '/^On one machine/ { found = 1; next } found && /^```/ { if (inside) exit; inside = 1; next } inside' "$readme")
names=$(awk '/^## Many machines/ { found = 1 } found && /^export videos=/ { print; exit }' "$readme")
if [ -z "$recipe" ] || [ -z "$names" ]; then
  echo "FAIL: README has no one-machine recipe or no names of videos" >&2
  exit 1
fi
eval "$names"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home archive=$scratch/videos stills=$scratch/stills PATH="$cli_folder:$PATH"
mkdir -p "$HOME" "$stills"

# folder/name:frames
made=("a b/one.avi:3" "a b/two.mp4:2" "c/one.avi:4" "c/d/x:y.MKV:1" "f/UPPER.AVI:2" "top.ts:1")
for video in "${made[@]}"; do
  path=$archive/${video%:*}
  mkdir -p "$(dirname "$path")"
  ffmpeg -v error -nostdin -f lavfi -i testsrc2=size=64x48:rate=25 -frames:v "${video##*:}" -c:v mpeg4 "file:$path" || exit 1
done
mkdir -p "$archive/e"
echo "not a video" >"$archive/e/notes.txt"

echo "$recipe"
output=$(cd "$scratch" && bash -c "$recipe")
status=$?
echo "$output"
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
[ "$status" -eq 0 ] || fail "the recipe ended with status $status"

for video in "${made[@]}"; do
  relative=${video%:*}
  folder=$(dirname "$relative")
  name=$(basename "$relative")
  stem=${name%.*}
  frames=${video##*:}
  found=$(find "$stills/$folder" -maxdepth 1 -name "${stem}_*.jpg" | wc -l)
  [ "$found" -eq "$frames" ] || fail "$relative: $found images in $stills/$folder, not $frames"
  [ -f "$stills/$folder/${stem}_$((frames - 1)).jpg" ] || fail "$relative: no image of its last frame"
done
[ -z "$(find "$stills" -name '* (2)_*')" ] || fail "names collided: $(find "$stills" -name '* (2)_*')"
[ ! -e "$stills/e" ] || fail "a folder without videos got an output folder"
# Every job's count, after its folder's name.
[ "$(grep -c . <<<"$output")" -eq 5 ] || fail "not one count for each of the five folders with videos"
grep -qxP '\./a b\t5' <<<"$output" || fail "no count of 5 for ./a b"
jobs_failed=$(awk -F'\t' 'NR > 1 && $7 != 0' "$stills.jobs" | wc -l)
[ "$jobs_failed" -eq 0 ] || fail "$jobs_failed job(s) failed: $(cat "$stills.jobs")"

# Again, as after a lost machine: every image there already is kept, none is written again.
before=$(find "$stills" -name '*.jpg' -printf '%P %T@\n' | sort)
again=$(cd "$scratch" && bash -c "$recipe")
[ "$?" -eq 0 ] || fail "the recipe run again ended with a failure"
[ "$(grep -cP '\t0$' <<<"$again")" -eq 5 ] || fail "run again, the jobs wrote images: $again"
[ "$(find "$stills" -name '*.jpg' -printf '%P %T@\n' | sort)" = "$before" ] || fail "run again, images were made anew"

[ "$failures" -eq 0 ] || exit 1
echo "The recipe converted the archive."
