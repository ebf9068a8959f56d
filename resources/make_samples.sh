#!/bin/sh
# Makes the three sample videos that ship in Samples/ beside the program, each a few seconds of a
# generated test picture in a different AVI codec: Motion JPEG, MPEG-4 part 2 and Microsoft Video 1.
# The sources are synthetic and the encoders run bit-exact, so every run gives the same files.
# Usage: make_samples.sh OUTPUT_FOLDER [FFMPEG]
set -eu
out=$1
ffmpeg=${2:-ffmpeg}
mkdir -p "$out"

make() {
    name=$1 source=$2
    shift 2
    "$ffmpeg" -v error -nostdin -y -f lavfi -i "$source" "$@" \
        -an -map_metadata -1 -fflags +bitexact -flags:v +bitexact "$out/$name.tmp.avi"
    mv "$out/$name.tmp.avi" "$out/$name"
}

make "Sample 1 - Motion JPEG.avi" "testsrc2=size=160x120:rate=10:duration=3" -c:v mjpeg -q:v 5 -pix_fmt yuvj420p
make "Sample 2 - MPEG-4.avi" "smptehdbars=size=160x120:rate=10:duration=3,drawbox=x='t*40':y=40:w=24:h=24:color=white:t=fill" \
    -c:v mpeg4 -q:v 5 -g 10 -pix_fmt yuv420p
make "Sample 3 - Microsoft Video 1.avi" "mandelbrot=size=160x120:rate=10,trim=duration=3" -c:v msvideo1 -pix_fmt rgb555le
