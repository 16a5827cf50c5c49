#!/bin/sh
# png-to-ico.sh OUT.ico IMAGE.png...: an icon file whose entries hold the PNG images as
# they are (one entry per image, largest first as given), which the platform's icon
# loader accepts since the PNG-compressed icons of its later releases.
set -eu
out="$1"
shift
# Little-endian words of the header and directory, written byte by byte.
le16() { printf "\\$(printf '%03o' $(($1 & 255)))\\$(printf '%03o' $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
# The width and height of a PNG, from its header chunk.
dimension() { od -An -tu1 -j"$2" -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}'; }
{
  le16 0; le16 1; le16 $#
  offset=$((6 + 16 * $#))
  for png in "$@"; do
    size=$(wc -c <"$png")
    width=$(dimension "$png" 16)
    height=$(dimension "$png" 20)
    # 256 pixels and more are written as 0, as the format has it.
    printf "\\$(printf '%03o' $((width & 255)))\\$(printf '%03o' $((height & 255)))"
    le16 0; le16 1; le16 32; le32 "$size"; le32 "$offset"
    offset=$((offset + size))
  done
  cat "$@"
} >"$out.tmp"
mv "$out.tmp" "$out"
