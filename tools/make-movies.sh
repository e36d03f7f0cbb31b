#!/usr/bin/env bash
# Makes the project's own sample movies with Debian's ffmpeg program and
# leaves them in tools/mkdata/movies/, from where mkdata copies them into
# the data tree's "video" folder. The files are committed, so neither the
# tests nor the data tree need ffmpeg; run this only to make them anew.
#   intro.mpg: colour bars and a 440 Hz tone, 1.5 s, 320 x 240 MPEG-1 with MP2 sound;
#   lch.mpg and lnd.mpg, the launch and landing movies ("%slch%s.mpg" and
#   "%slnd%s.mpg" with the video directory and nothing): moving test
#   patterns with tones of 330 and 550 Hz;
#   Midgame4.mpg, the end of a campaign whose last ship was lost: HD bars
#   and a 220 Hz tone.
set -eu
cd "$(dirname "$0")/mkdata/movies"
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed: apt-get install -y ffmpeg" >&2; exit 1; }
make_movie() {
  local name=$1 video=$2 tone=$3
  ffmpeg -hide_banner -loglevel error -y \
    -f lavfi -i "$video" -f lavfi -i "sine=frequency=$tone:sample_rate=44100:duration=1.5" \
    -c:v mpeg1video -q:v 4 -c:a mp2 -b:a 64k -f mpeg "$name"
}
make_movie intro.mpg "smptebars=size=320x240:rate=25:duration=1.5" 440
make_movie lch.mpg "testsrc2=size=320x240:rate=25:duration=1.5" 330
make_movie lnd.mpg "rgbtestsrc=size=320x240:rate=25:duration=1.5" 550
make_movie Midgame4.mpg "smptehdbars=size=320x240:rate=25:duration=1.5" 220
ls -l
