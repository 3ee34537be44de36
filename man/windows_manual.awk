# Turns a man page source into the one the Windows text manual is rendered
# from: the same page with its shell examples as cmd.exe takes them.
#   awk -f man/windows_manual.awk man/d88extract.1 | groff -man ...
#
# The convention, in every man/*.1:
# - An example's command line starts with the prompt "$ ". On Windows the
#   prompt becomes "> " and every "/" of the line a backslash, so a line
#   such as "$ d88extract -C out examples/sample.d88" needs nothing more.
# - A line that Windows shows otherwise (quotes, $?, a POSIX tool, a loop,
#   output that differs) is followed by a comment holding its Windows form,
#   written in full, prompt included, as roff source ("\e" for a backslash):
#       $ echo $?
#       .\" cmd: > echo %ERRORLEVEL%
#   An empty form (".\" cmd:" alone) leaves the line out on Windows, and
#   ".\" cmd+: TEXT" adds a line that only Windows shows. The comments are
#   invisible to man, so the man page is the source as it stands.
# The Windows text is checked for POSIX-only syntax (check_windows_manual.sh),
# so an example left without its Windows form fails the tests.

function flush() {
  if (!held) return
  if (!replaced && held_in_example && line ~ /^\$ /) {
    line = "> " substr(line, 3)
    gsub(/\//, "\\e", line)
  }
  print line
  held = 0
}

# The form given after "cmd:" or "cmd+:", without the one space before it.
function form(text) {
  sub(/^\.\\" cmd\+?:/, "", text)
  sub(/^ /, "", text)
  return text
}

/^\.\\" cmd:/ {
  # Replaces the line held, or leaves it out.
  text = form($0)
  if (text == "") held = 0
  else { line = text; replaced = 1 }
  next
}
/^\.\\" cmd\+:/ {
  flush()
  line = form($0); held = 1; replaced = 1; held_in_example = in_example
  next
}
{
  flush()
  if ($0 ~ /^\.(EX|nf)([ \t]|$)/) in_example = 1
  else if ($0 ~ /^\.(EE|fi)([ \t]|$)/) in_example = 0
  line = $0; held = 1; replaced = 0; held_in_example = in_example
}
END { flush() }
