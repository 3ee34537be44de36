#!/bin/sh
# Checks a man page with both formatters its readers use: mandoc's lint and
# groff with every warning on. Anything either says fails the check.
#   sh man/lint_manual.sh man/d88extract.1
set -u
page=$1
status=0
# mandoc reports to standard output, groff to standard error.
for said in "$(mandoc -T lint "$page" 2>&1 || echo "mandoc -T lint failed")" \
            "$(groff -ww -z -man -Tutf8 "$page" 2>&1 || echo "groff failed")"; do
  if [ -n "$said" ]; then
    printf '%s\n' "$said"
    status=1
  fi
done
exit $status
