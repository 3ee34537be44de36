#!/bin/sh
# Renders a man page as plain UTF-8 text with its examples in their cmd.exe
# form (see windows_manual.awk), the manual a Windows package carries:
#   sh man/render_manual.sh man/d88extract.1 > man/d88extract.txt
set -eu
# No hyphenation, no bold or underline by overstriking; every warning on.
awk -f "$(dirname "$0")/windows_manual.awk" "$1" | groff -man -Tutf8 -ww -rHY=0 -P-cbou
