#!/usr/bin/env bash
# Whole-job benchmark: ten photo-like 1600x1200 pictures and music made into a video with the
# default profile through `picreel make`, against encoding the very same frames through the
# encoder library alone, on all cores and on two (taskset -c 0,1).
#   bash bench/whole_job.sh [BUILD_DIR] [RUNS]
# Prints, per core set, the median seconds of each, their ratio, CPU use and peak memory.
# Needs ImageMagick (/usr/bin/convert), ffmpeg and a build with the benchmarks (bench/capture).
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-3}
bin=$build/bin
for need in "$bin/picreel" "$bin/VelmorEncoder.so" "$build/bench/capture/VelmorEncoder.so" \
            "$build/bench/bench_encode_frames" /usr/bin/convert; do
    [ -e "$need" ] || { echo "missing: $need" >&2; exit 1; }
done
command -v ffmpeg > /dev/null || { echo "missing: ffmpeg" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

# Photo-like pictures: soft cloudy colour with a fine grain.
mkdir -p "$work/pictures"
for i in $(seq 0 9); do
    /usr/bin/convert -seed "$i" -size 1600x1200 plasma:fractal -blur 0x2 \
        \( -size 1600x1200 xc:gray50 -seed $((i + 50)) -attenuate 0.6 +noise Gaussian -blur 0x0.7 \) \
        -compose overlay -composite -quality 92 "$work/pictures/p$i.jpg" &
done
wait
# Music: a minute of a slowly changing chord.
ffmpeg -v error -f lavfi -i "aevalsrc=0.3*sin(2*PI*220*t)+0.2*sin(2*PI*(330+20*sin(t))*t)+0.1*sin(2*PI*440*t)*sin(PI*t/4):s=44100:d=60" \
    -ac 2 -b:a 192k "$work/music.mp3"

# Two program folders: the real one, and one whose encoder library keeps the frames.
copy_program() {
    mkdir -p "$1"
    for item in picreel libxToMp2.so profile menu_pic EffectCover res; do
        [ -e "$bin/$item" ] && cp -r "$bin/$item" "$1/"
    done
    cp "$2" "$1/VelmorEncoder.so"
}
copy_program "$work/program" "$bin/VelmorEncoder.so"
copy_program "$work/capture" "$build/bench/capture/VelmorEncoder.so"

"$work/program/picreel" new "$work/show.prg" "$work/pictures" --music "$work/music.mp3" > /dev/null
# The default profile's texts, as the driver hands them over.
profile=(720 480 libxvid 1500kb 29.97 libmp3lame 128kb 44100 2)

"$work/capture/picreel" make "$work/show.prg" --output "$work/frames" > /dev/null 2>&1
frames="$work/frames/Slideshow_0.avi"
[ -s "$frames" ] || { echo "the frames were not captured" >&2; exit 1; }
# The job hands the encoder its music converted to MP2 (a work file it removes afterwards).
music="$work/music.mp2"
ffmpeg -v error -i "$work/music.mp3" -c:a mp2 -b:a 192k "$music"
echo "frames: $(( $(stat -c %s "$frames") / (720 * 480 * 3 / 2) )) at 720x480; load average: $(cut -d' ' -f1-3 /proc/loadavg)"

# Median of `runs` timings of a command: "seconds user+sys peak-KB".
measure() {
    for _ in $(seq "$runs"); do
        /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" > /dev/null 2>&1
        awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }' "$work/time"
    done | sort -n | awk -v n="$runs" 'NR == int((n + 1) / 2)'
}

report() {
    local cores=$1; shift
    local job enc
    job=$(measure "$@" "$work/program/picreel" make "$work/show.prg" --output "$work/videos")
    enc=$(measure "$@" "$build/bench/bench_encode_frames" "$work/program" "$frames" "$work/alone.avi" \
          "${profile[0]}" "${profile[1]}" "${profile[2]}" "${profile[3]}" "${profile[4]}" "${profile[5]}" \
          "${profile[6]}" "${profile[7]}" "${profile[8]}" "$music")
    echo "$job $enc" | awk -v cores="$cores" '{
        printf "%-8s whole job %.2f s (CPU %3.0f%%, peak %d MB)   encoder alone %.2f s (CPU %3.0f%%, peak %d MB)   ratio %.2f\n",
            cores, $1, 100 * $2 / $1, $3 / 1024, $4, 100 * $5 / $4, $6 / 1024, $1 / $4 }'
}

report "$(nproc) cores"
report "2 cores" taskset -c 0,1
