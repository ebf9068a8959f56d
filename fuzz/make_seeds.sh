#!/usr/bin/env bash
# Makes the fuzzer's seed corpus: tiny videos (16x16 or so, 3 frames) in the containers, codecs and
# layouts the frame source meets most, so mutations start from files that get deep into the readers and
# the decoders.
# Bit-exact flags keep the files the same from run to run. Usage: fuzz/make_seeds.sh [FOLDER]
set -euo pipefail
out=${1:-"$(dirname "$0")/seeds"}
mkdir -p "$out"

# make NAME FRAMES INPUT-AND-CODEC-OPTIONS... (an AVI)
make() {
  local name=$1 frames=$2; shift 2
  ffmpeg -y -v error -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "$@" -frames:v "$frames" -f avi "$out/$name.avi"
}
# make_in NAME.EXT FRAMES INPUT-AND-CODEC-OPTIONS... (the container the extension names)
make_in() {
  local name=$1 frames=$2; shift 2
  ffmpeg -y -v error -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "$@" -frames:v "$frames" "$out/$name"
}
bars=(-f lavfi -i "testsrc2=size=16x16:rate=5")

make mjpeg 3 "${bars[@]}" -c:v mjpeg -q:v 8
make mpeg4_bframes 3 "${bars[@]}" -c:v mpeg4 -bf 2 -q:v 8
make msmpeg4 3 "${bars[@]}" -c:v msmpeg4 -q:v 8
make h264_bframes 3 "${bars[@]}" -c:v libx264 -bf 2 -preset ultrafast -crf 30 -x264-params threads=1
make huffyuv_rgb 3 "${bars[@]}" -c:v huffyuv -pix_fmt rgb24
make raw_bgr24_odd 3 -f lavfi -i "testsrc2=size=7x5:rate=5" -c:v rawvideo -pix_fmt bgr24
make raw_pal8 3 -f lavfi -i "testsrc2=size=8x6:rate=5" -c:v rawvideo -pix_fmt pal8
make cinepak 3 "${bars[@]}" -c:v cinepak
make png 3 "${bars[@]}" -c:v png
make zmbv 3 "${bars[@]}" -c:v zmbv
make mjpeg_with_audio 3 "${bars[@]}" -f lavfi -i "sine=duration=0.6:sample_rate=8000" -c:v mjpeg -q:v 8 -c:a pcm_u8
make dropped_frames 5 -f lavfi -i "testsrc2=size=16x16:rate=5" -vf "select='not(eq(n\,1)+eq(n\,2))'" \
  -vsync passthrough -c:v mjpeg -q:v 8

# Other containers: B-frames and an edit list in MP4, a display matrix, Matroska and WebM, a transport
# and a program stream, FLV, ASF, Ogg and a 10-bit HEVC picture.
x264=(-c:v libx264 -bf 2 -preset ultrafast -crf 30 -x264-params threads=1)
make_in h264_bframes.mp4 3 "${bars[@]}" "${x264[@]}"
make_in h264_turned.mov 3 "${bars[@]}" "${x264[@]}" -metadata:s:v:0 rotate=90
make_in h264_with_audio.mkv 3 "${bars[@]}" -f lavfi -i "sine=duration=0.6:sample_rate=8000" "${x264[@]}" -c:a flac
make_in vp9.webm 3 "${bars[@]}" -c:v libvpx-vp9 -deadline realtime -cpu-used 8 -b:v 20k
make_in h264.ts 3 "${bars[@]}" "${x264[@]}"
make_in mpeg2.mpg 3 "${bars[@]}" -c:v mpeg2video -q:v 8
make_in flv1.flv 3 "${bars[@]}" -c:v flv1 -q:v 8
make_in wmv2.asf 3 "${bars[@]}" -c:v wmv2 -q:v 8
make_in theora.ogv 3 "${bars[@]}" -c:v libtheora -q:v 1
make_in hevc_10bit.mp4 2 "${bars[@]}" -c:v libx265 -pix_fmt yuv420p10le -preset ultrafast -x265-params log-level=error:frame-threads=1
# HDR-tagged pictures (the transfer and primaries in the H.264 stream itself), so mutations reach the tone mapping.
make hlg_h264_10bit 3 "${bars[@]}" -c:v libx264 -pix_fmt yuv420p10le -preset ultrafast -crf 30 -x264-params threads=1 \
  -color_primaries bt2020 -color_trc arib-std-b67 -colorspace bt2020nc
make pq_h264_10bit 3 -f lavfi -i "testsrc2=size=14x8:rate=5" -c:v libx264 -pix_fmt yuv420p10le -preset ultrafast -crf 30 \
  -x264-params threads=1 -color_primaries bt2020 -color_trc smpte2084 -colorspace bt2020nc
