#!/usr/bin/env bash
# Builds payload/Help.avi: a short silent tutorial clip.
#
#   856 x 480, 25 frames/s, exactly 1675 frames (67 s), one MPEG-4 Part 2
#   video stream tagged XVID, no audio.  After encoding, tools/pad-avi.py
#   appends a JUNK chunk so that the file is exactly 1,819,288 bytes.
#
# The picture is drawn entirely by ffmpeg's lavfi sources and filters:
# a title bar, a panel with the current step, a moving pointer and a
# progress bar that fills up over the length of the clip.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
out="$root/payload/Help.avi"
target_size=1819288

# --- Debian packages --------------------------------------------------------
source "$root/tools/apt-packages.sh"
ensure_packages ffmpeg fonts-wqy-zenhei fontconfig python3

font="$(fc-list ':family=WenQuanYi Zen Hei' file | sed -n 's/: *$//p' | grep -i 'wqy-zenhei\.ttc' | head -n 1)"
if [ -z "$font" ]; then
    echo "make-tutorial: cannot find wqy-zenhei.ttc via fc-list" >&2
    exit 1
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# --- filter graph -----------------------------------------------------------
# [0] background, [1] progress strip (left half filled, right half empty);
# a 600 px window slides over the strip, so the bar fills from 0 to 100 %.
frames=1675
duration=67
cat > "$tmp/graph.txt" <<GRAPH
color=c=0x25323f:s=856x480:r=25:d=$duration [bg];
color=c=0x2fa84a:s=600x16:r=25:d=$duration [fill];
color=c=0x55636f:s=600x16:r=25:d=$duration [track];
[fill][track] hstack=inputs=2, crop=w=600:h=16:x='600-600*t/$duration':y=0 [bar];
[bg]
drawbox=x=0:y=0:w=856:h=72:color=0x2fa84a:t=fill,
drawbox=x=0:y=72:w=856:h=3:color=0x1f7d35:t=fill,
drawtext=fontfile='$font':text='Quorvane 教程':fontsize=36:fontcolor=white:x=32:y=17,
drawtext=fontfile='$font':text='塔恩比':fontsize=22:fontcolor=0xdff5e4:x=w-tw-32:y=26,
drawbox=x=48:y=104:w=760:h=272:color=0xeef2f4:t=fill,
drawbox=x=48:y=104:w=760:h=48:color=0xd5dde3:t=fill,
drawtext=fontfile='$font':text='安装向导':fontsize=22:fontcolor=0x34485e:x=68:y=117,
drawtext=fontfile='$font':text='第 1 步：欢迎使用':fontsize=34:fontcolor=0x1c2630:x=80:y=180:enable='lt(t,13.4)',
drawtext=fontfile='$font':text='第 2 步：阅读许可协议':fontsize=34:fontcolor=0x1c2630:x=80:y=180:enable='gte(t,13.4)*lt(t,26.8)',
drawtext=fontfile='$font':text='第 3 步：选择安装位置':fontsize=34:fontcolor=0x1c2630:x=80:y=180:enable='gte(t,26.8)*lt(t,40.2)',
drawtext=fontfile='$font':text='第 4 步：复制文件':fontsize=34:fontcolor=0x1c2630:x=80:y=180:enable='gte(t,40.2)*lt(t,53.6)',
drawtext=fontfile='$font':text='第 5 步：完成':fontsize=34:fontcolor=0x1c2630:x=80:y=180:enable='gte(t,53.6)',
drawtext=fontfile='$font':text='Step %{eif\:min(5,1+trunc(t/13.4))\:d} / 5':fontsize=22:fontcolor=0x55636f:x=80:y=236,
drawbox=x=620:y=310:w=160:h=44:color=0x2fa84a:t=fill,
drawtext=fontfile='$font':text='下一步':fontsize=24:fontcolor=white:x=665:y=320,
drawtext=fontfile='$font':text='●':fontsize=26:fontcolor=0xe8a33a:x='120+520*(0.5+0.5*sin(t*0.9))':y='270+40*sin(t*1.7)',
drawtext=fontfile='$font':text='%{eif\:trunc(t)\:d} s':fontsize=22:fontcolor=0xc9d3dc:x=w-tw-48:y=424
[ui];
[ui][bar] overlay=x=128:y=428:eof_action=repeat [out]
GRAPH

# --- encode -----------------------------------------------------------------
ffmpeg -hide_banner -loglevel error -y \
    -filter_complex_script "$tmp/graph.txt" -map '[out]' \
    -frames:v "$frames" -an \
    -c:v mpeg4 -vtag XVID -q:v 2 -g 75 -threads 1 \
    -pix_fmt yuv420p \
    -fflags +bitexact -flags:v +bitexact -map_metadata -1 \
    "$tmp/encoded.avi"

encoded_size="$(stat -c %s "$tmp/encoded.avi")"
echo "encoded: $encoded_size bytes"
if [ "$encoded_size" -gt $((target_size - 8)) ]; then
    echo "make-tutorial: encoded clip too large ($encoded_size bytes)" >&2
    exit 1
fi

# --- pad to the exact size ----------------------------------------------------
python3 "$here/pad-avi.py" "$tmp/encoded.avi" "$target_size" "$out"
echo "wrote $out ($(stat -c %s "$out") bytes)"
