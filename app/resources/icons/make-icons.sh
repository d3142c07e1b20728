#!/bin/sh
# Regenerates the command icons (16, 24 and 32 pixels) from their drawings in
# src/ with rsvg-convert (Debian package librsvg2-bin). The pictures are kept in
# the repository, so building needs neither this script nor the converter.
set -e
cd "$(dirname "$0")"
for drawing in src/*.svg; do
    name=$(basename "$drawing" .svg)
    for size in 16 24 32; do
        rsvg-convert -w "$size" -h "$size" "$drawing" -o "$name-$size.png"
    done
done
