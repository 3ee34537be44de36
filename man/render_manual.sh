#!/bin/sh
# Renders a man page as plain UTF-8 text, the manual a Windows package
# carries:  sh man/render_manual.sh man/d88extract.1 > man/d88extract.txt
set -eu
# No hyphenation, no bold or underline by overstriking; every warning on.
groff -man -Tutf8 -ww -rHY=0 -P-cbou "$1"
