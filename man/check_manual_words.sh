#!/bin/sh
# Fails when a word of a man page source is missing from a rendering of it:
# each word must occur in the rendering at least as often as in the source,
# so words that the formatter runs together are caught.
#   sh man/check_manual_words.sh [--windows] man/d88extract.1 RENDERING
# RENDERING is a text file; "-" reads it from standard input. With
# --windows the source's words are those of its Windows form
# (windows_manual.awk), from which the text manuals are rendered.
set -eu
here=$(dirname "$0")
LC_ALL=C
export LC_ALL
form=cat
if [ "$1" = --windows ]; then
  form="awk -f $here/windows_manual.awk"
  shift
fi
{
  $form "$1" | awk -f "$here/manual_words.awk" | sed 's/^/source /'
  cat -- "$2" | tr -c 'A-Za-z0-9\n' ' ' | tr -s ' ' '\n' | sed '/^$/d; s/^/rendered /'
} | awk '
  $1 == "source" { source[$2]++ }
  $1 == "rendered" { rendered[$2]++ }
  END {
    status = 0
    if (length(source) == 0) { print "no words in the source"; status = 1 }
    for (word in source)
      if (rendered[word] < source[word]) {
        printf "%s: %d in the source, %d in the rendering\n", word, source[word], rendered[word] + 0 | "sort"
        status = 1
      }
    exit status
  }'
