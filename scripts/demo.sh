#!/usr/bin/env bash
# Builds the program folder, makes a demo project from the sample pictures generated at build
# time, and makes its video with the first output profile.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build -j "$(nproc)"

bin=build/bin
demo=build/demo
# The demo's log, preferences and working folders stay with it instead of the user's data folder.
rm -rf -- "$demo"
mkdir -p "$demo/data"
export PICREEL_DATA_DIR="$PWD/$demo/data"

echo
echo "== picreel profiles"
"$bin/picreel" profiles
echo
echo "== picreel new $demo/demo.prg $bin/samples"
"$bin/picreel" new "$demo/demo.prg" "$bin/samples"
echo
echo "== picreel make $demo/demo.prg --output $demo/videos"
"$bin/picreel" make "$demo/demo.prg" --output "$demo/videos"

echo
for video in "$demo"/videos/*; do
    echo "The demo video is $(cd "$(dirname "$video")" && pwd)/$(basename "$video")"
    if command -v ffprobe > /dev/null; then
        ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,r_frame_rate \
            -show_entries format=duration -of compact=p=0 "$video"
    fi
done
