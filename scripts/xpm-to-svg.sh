#!/usr/bin/env bash
# Turns an XPM picture (one character per pixel) into an SVG of the same
# pixels, one rectangle per run of a colour in a row, so that the icon scales
# to any size and stays sharp.   xpm-to-svg.sh IN.xpm OUT.svg
set -euo pipefail
awk '
  !match($0, /"[^"]*"/) { next }
  { line = substr($0, RSTART + 1, RLENGTH - 2) }
  !size { split(line, s, " "); width = s[1]; height = s[2]; colours = s[3]; size = 1
          printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" shape-rendering=\"crispEdges\">\n", width, height, width, height
          next }
  colours > 0 { colour[substr(line, 1, 1)] = substr(line, 5); colours--; next }
  y < height {
    for (x = 0; x < width; x = end) {
      c = substr(line, x + 1, 1)
      for (end = x + 1; end < width && substr(line, end + 1, 1) == c; end++) {}
      if (colour[c] != "None") printf "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"1\" fill=\"%s\"/>\n", x, y, end - x, colour[c]
    }
    y++
  }
  END { print "</svg>" }
' "$1" >"$2"
