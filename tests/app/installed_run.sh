#!/usr/bin/env bash
# An installed copy makes videos for a user who cannot write into it: installs the build to a
# temporary prefix, makes the prefix read-only, runs "picreel new" and "picreel make" with a data
# folder of the user's own, and checks that the video is made and nothing under the prefix
# changed. As root (where read-only permissions do not bind) the runs are made as "nobody".
# usage: installed_run.sh BUILD_DIR
set -euo pipefail
build=$1

tmp=$(mktemp -d)
cleanup() {
    chmod -R u+w "$tmp" 2> /dev/null || true
    rm -rf -- "$tmp"
}
trap cleanup EXIT
chmod 755 "$tmp"
prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
program=$prefix/picreel
[ -x "$program/picreel" ] || { echo "no picreel in $program"; exit 1; }

# The user's own folders: data, home, and where the project and videos go.
mkdir -p "$tmp/user" "$tmp/user/home"
as_user=()
if [ "$(id -u)" = 0 ]; then
    if ! id -u nobody > /dev/null 2>&1; then
        echo "running as root without an unprivileged user: read-only is checked by checksums only"
    else
        chown -R nobody "$tmp/user"
        as_user=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups)
    fi
fi

listing() {
    (cd "$prefix" && find . -printf '%p %y %m %s\n' | sort && find . -type f -print0 | sort -z | xargs -0 sha256sum)
}
chmod -R a-w "$prefix"
before=$(listing)

run() {
    env -u PICREEL_DATA_DIR -u XDG_DATA_HOME HOME="$tmp/user/home" "$@"
}
data=$tmp/user/data
project=$tmp/user/trip.prg
run PICREEL_DATA_DIR="$data" "${as_user[@]}" "$program/picreel" new "$project" \
    "$program/samples/01.jpg" "$program/samples/05.png"
# Without --output the video goes to the project's output folder, in the data folder.
run PICREEL_DATA_DIR="$data" "${as_user[@]}" "$program/picreel" make "$project" > "$tmp/made.txt"
video=$(head -n 1 "$tmp/made.txt")
[ -s "$video" ] || { echo "no video: '$video'"; exit 1; }
case "$video" in "$data/Project_"*"/Output/"*) ;; *) echo "video outside the data folder: $video"; exit 1 ;; esac
[ -s "$data/log.txt" ] || { echo "no log in the data folder"; exit 1; }
if [ ${#as_user[@]} -gt 0 ] && [ "$(stat -c %U "$data/log.txt")" != nobody ]; then
    echo "the runs were not made as nobody"
    exit 1
fi
[ -f "$data/referenceFile.xml" ] || { echo "no preference file in the data folder"; exit 1; }
grep -q "<AppPath>$data</AppPath>" "$data/referenceFile.xml" || { echo "the preference file names another folder"; exit 1; }

after=$(listing)
if [ "$before" != "$after" ]; then
    echo "the program folder changed:"
    diff <(echo "$before") <(echo "$after") || true
    exit 1
fi
echo "installed run: video made, program folder unchanged"
