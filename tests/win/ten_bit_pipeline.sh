#!/usr/bin/env bash
# 10-bit video through a luma curve, as the README pipes it: ffmpeg writes a ramp of every 10-bit
# luma level, filterhost (a newer host) maps it with the module, ffmpeg encodes the result and
# reads it back. The luma keeps its 10 bits (far more than 256 levels come out), the chroma comes
# out byte for byte, and every frame arrives.
# Usage: ten_bit_pipeline.sh FILTERHOST MODULE WINE_RUN
set -euo pipefail
filterhost=$1 module=$2 wine_run=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
size=1024x64 frames=3
luma_bytes=$((1024 * 64 * 2)) chroma_bytes=$((2 * 512 * 32 * 2))
fail() { echo "ten_bit_pipeline: $*" >&2; exit 1; }

# Luma X (0..1023) across the frame, neutral chroma, different in every frame.
ffmpeg -v error -f lavfi -i "nullsrc=s=$size:r=10,format=yuv420p10le,geq=lum='X':cb='512+N':cr='500-N'" \
  -frames:v $frames -f rawvideo "$dir/in.raw"
ffmpeg -v error -f rawvideo -pix_fmt yuv420p10le -s $size -r 10 -i "$dir/in.raw" \
  -pix_fmt yuv420p10le -f rawvideo - |
  "$wine_run" "$filterhost" "$module" --raw $size --pix-fmt yuv420p10le --range limited \
    --script 'Config(0,"4034c0cc","","","",0,1)' 2>"$dir/filterhost.err" |
  ffmpeg -v error -f rawvideo -pix_fmt yuv420p10le -s $size -r 10 -i - -c:v ffv1 "$dir/out.mkv"
grep -q "format: yuv420p10le (code 60), mapped in place" "$dir/filterhost.err" ||
  fail "filterhost did not map the frames in place: $(cat "$dir/filterhost.err")"
ffmpeg -v error -i "$dir/out.mkv" -f rawvideo -pix_fmt yuv420p10le "$dir/out.raw"

[ "$(stat -c %s "$dir/out.raw")" -eq "$(stat -c %s "$dir/in.raw")" ] ||
  fail "$(stat -c %s "$dir/out.raw") bytes came back for $(stat -c %s "$dir/in.raw")"
for ((f = 0; f < frames; ++f)); do
  start=$((f * (luma_bytes + chroma_bytes)))
  cmp -s -n $chroma_bytes -i $((start + luma_bytes)):$((start + luma_bytes)) "$dir/in.raw" "$dir/out.raw" ||
    fail "frame $f: the chroma changed"
  ! cmp -s -n $luma_bytes -i $start:$start "$dir/in.raw" "$dir/out.raw" ||
    fail "frame $f: the luma did not change"
done
levels=$(od -An -tu2 -v -N $luma_bytes "$dir/out.raw" | tr -s ' ' '\n' | sed '/^$/d' | sort -un | wc -l)
[ "$levels" -gt 600 ] || fail "only $levels luma levels came out of 1024"
echo "ten_bit_pipeline: $frames frames, $levels luma levels, chroma unchanged"
