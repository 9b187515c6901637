#!/usr/bin/env bash
# Builds resources/banner.jpg: a 400x200 greyscale, progressive JPEG banner
# with the maker's name on a lightly textured grey field.
#
# Layout:
#   rows   0..119  light grey vertical gradient (0xD8 -> 0xE0) with a fine
#                  grain that fades out towards row 120, plus the lettering
#   rows 120..199  one plain grey level (0xE0); because the plain area covers
#                  every 8x8 JPEG block from row 128 downwards, rows 130..199
#                  decode to exactly one value
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
out="$root/resources/banner.jpg"

# --- Debian packages --------------------------------------------------------
source "$root/tools/apt-packages.sh"
ensure_packages imagemagick fonts-wqy-zenhei libjpeg-turbo-progs fontconfig

# Debian's ImageMagick; another "convert" may come first in PATH.
convert=/usr/bin/convert

font="$(fc-list ':family=WenQuanYi Zen Hei' file | sed -n 's/: *$//p' | grep -i 'wqy-zenhei\.ttc' | head -n 1)"
if [ -z "$font" ]; then
    echo "make-banner: cannot find wqy-zenhei.ttc via fc-list" >&2
    exit 1
fi

# --- tuning -----------------------------------------------------------------
quality=97        # JPEG quality
grain=0.40        # amplitude of the grain (fraction of full scale, before fade)
seed=20240611     # fixed seed, so every run gives the same picture
ink='gray(38)'    # colour of the lettering

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# --- 1. grain: gaussian noise around mid grey, softened slightly -------------
"$convert" -size 400x200 xc:'gray(50%)' -seed "$seed" \
    -attenuate 1 +noise Gaussian -colorspace Gray -blur 0x0.4 \
    -depth 16 "$tmp/grain.pgm"

# --- 2. field: gradient + faded grain; rows >= 120 are exactly 0xE0 ----------
# u is the grain sample (0..1), j the row.  The gradient runs over rows
# 0..120; the grain is at full strength down to row 80 and fades out by 120.
"$convert" "$tmp/grain.pgm" -colorspace Gray -fx \
    "(216 + 8*min(j/120,1))/255 + (u - 0.5) * $grain * max(0, min(1, (120-j)/40))" \
    -depth 16 "$tmp/field.pgm"

# --- 3. lettering -------------------------------------------------------------
"$convert" "$tmp/field.pgm" -colorspace Gray \
    -font "$font" -fill "$ink" -gravity NorthWest \
    -pointsize 64 -annotate +20+6 '塔恩比' \
    -pointsize 25 -kerning 10 -annotate +22+82 'TARNBY' \
    -kerning 2 -pointsize 28 -annotate +236+46 '安装程序' \
    -depth 8 -strip "$tmp/banner.pgm"

# --- 4. encode -----------------------------------------------------------------
cjpeg -grayscale -progressive -optimize -quality "$quality" \
    -outfile "$out" "$tmp/banner.pgm"

echo "wrote $out ($(stat -c %s "$out") bytes)"
