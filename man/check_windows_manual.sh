#!/bin/sh
# Fails when a Windows text manual shows syntax that only a POSIX shell
# takes, so that a shell example added without its cmd.exe form (see
# windows_manual.awk) is caught:  sh man/check_windows_manual.sh man/d88put.txt
# Command lines are the example lines after the prompt "> "; the whole text
# is checked for shell variables and pipes into POSIX tools.
set -eu
LC_ALL=C
export LC_ALL
awk '
  function fault(what) {
    printf "%s:%d: %s: %s\n", FILENAME, FNR, what, $0
    status = 1
  }
  /^[ \t]*\$ / { fault("POSIX prompt") }
  /\$[?({]|\$\$/ { fault("shell variable") }
  /\/dev\/null/ { fault("/dev/null") }
  /\| *(head|tail|grep|less|wc|sed|awk|sort|cat|xxd|od)([^A-Za-z0-9_]|$)/ { fault("pipe into a POSIX tool") }
  /^[ \t]*> / {
    command = $0
    sub(/^[ \t]*> /, "", command)
    if (command ~ /\047/) fault("single quotes")
    if (command ~ /[^ \t]\//) fault("forward-slash path")
    if (command ~ /(^|[;&|(] *|do +)(wc|vi|vim|nano|cmp|ls|cat|head|tail|grep|sed|awk|printf|cp|mv|rm|touch|export|diff|less|iconv|xxd|od|sudo|apt-get|man|chmod|xargs|tee|sh|bash)( |$)/)
      fault("POSIX tool")
    # cmd.exe makes missing parents anyway, and a folder "-p" too.
    if (command ~ /(^|[;&|(] *|do +)(md|mkdir) +-p( |$)/) fault("mkdir -p")
    if (command ~ /; *(do|then|done|fi)( |$)/) fault("POSIX loop")
  }
  END { exit status }' "$@"
