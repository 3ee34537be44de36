# Prints the words of a man page source as its reader sees them, one per
# line: text lines and the text arguments of the macros, without requests,
# comments and escapes. A word is a run of ASCII letters and digits; the
# rest (Japanese text included) only separates words.
#
# Arguments of .BR and .RB are words apart: run together in bold and roman
# they make one unreadable word, which is always a slip. In the macros with
# italics (.IR .RI .BI .IB) a placeholder runs into its text on purpose
# (NAMEs, diskNN), so their arguments are joined as the formatter joins them.

# The arguments of a macro line, as the formatter splits them.
function arguments(line, list,    n, quote) {
  n = 0
  while (line != "") {
    sub(/^[ \t]+/, "", line)
    if (line == "") break
    if (substr(line, 1, 1) == "\"") {
      quote = index(substr(line, 2), "\"")
      if (quote == 0) quote = length(line)
      list[++n] = substr(line, 2, quote - 1)
      line = substr(line, quote + 2)
    } else {
      match(line, /^[^ \t]+/)
      list[++n] = substr(line, 1, RLENGTH)
      line = substr(line, RLENGTH + 1)
    }
  }
  return n
}

# The text an escape leaves: nothing for a font change or a zero-width
# mark, which sit inside words; a separator for every other escape.
function unescape(text) {
  gsub(/\\f(\[[^]]*\]|\([A-Za-z0-9][A-Za-z0-9]|.)/, "", text)
  gsub(/\\[&c%]/, "", text)
  gsub(/\\\[[^]]*\]|\\\(..|\\\*(\[[^]]*\]|\(..|.)|\\./, " ", text)
  return text
}

function words(text,    list, n, i) {
  text = unescape(text)
  gsub(/[^A-Za-z0-9]+/, " ", text)
  n = split(text, list, " ")
  for (i = 1; i <= n; i++) print list[i]
}

/^[.']\\"/ { next }
{ sub(/\\".*/, "") }
/^[.']/ {
  name = $1
  sub(/^[.'][ \t]*/, "", name)
  rest = $0
  sub(/^[.'][ \t]*[^ \t]*/, "", rest)
  n = arguments(rest, args)
  if (name ~ /^(TH|SH|SS|B|I|SM|SB)$/) {
    for (i = 1; i <= n; i++) words(args[i])
  } else if (name ~ /^(BR|RB)$/) {
    for (i = 1; i <= n; i++) words(args[i])
  } else if (name ~ /^(IR|RI|BI|IB)$/) {
    joined = ""
    for (i = 1; i <= n; i++) joined = joined args[i]
    words(joined)
  } else if (name == "IP" && n > 0) {
    words(args[1])
  }
  # Every other request (.PP .TP .RS .EX .nf ...) holds no text.
  next
}
{ words($0) }
