#!/bin/sh
# Writes pinyin.ini: section "pinyin" with the plain lower-case reading of every CJK
# unified ideograph from U+4E00 to U+9FA5 that has a Mandarin reading in the Unicode
# database (the first one when it lists several), without tone marks and with u-umlaut
# written as v, as Chinese keyboards type it. The file is UTF-16LE with a byte-order
# mark and CRLF line breaks.
#
#   scripts/gen-pinyin.sh <Unihan_Readings.txt.bz2> <output pinyin.ini>
set -eu

readings=${1:?Unihan_Readings.txt.bz2}
out=${2:?output file}
tmp="$out.tmp.$$"
trap 'rm -f "$tmp" "$tmp.utf8"' EXIT

# Byte-wise processing: the tone marks are replaced as UTF-8 byte sequences.
export LC_ALL=C

bzcat "$readings" | awk -F '\t' '
    function hex(text,    i, value) {
        value = 0
        for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789ABCDEF", substr(text, i, 1)) - 1
        return value
    }
    $2 == "kMandarin" {
        code = hex(substr($1, 3))
        if (code < 19968 || code > 40869) next            # U+4E00 .. U+9FA5
        split($3, reading, " ")
        # The ideograph itself as UTF-8 (all of them take three bytes).
        printf "%c%c%c=%s\n", 224 + int(code / 4096), 128 + int(code / 64) % 64, 128 + code % 64, reading[1]
    }' | sed \
    -e 's/ǖ/v/g' -e 's/ǘ/v/g' -e 's/ǚ/v/g' -e 's/ǜ/v/g' -e 's/ü/v/g' \
    -e 's/ā/a/g' -e 's/á/a/g' -e 's/ǎ/a/g' -e 's/à/a/g' \
    -e 's/ē/e/g' -e 's/é/e/g' -e 's/ě/e/g' -e 's/è/e/g' -e 's/ê/e/g' \
    -e 's/ī/i/g' -e 's/í/i/g' -e 's/ǐ/i/g' -e 's/ì/i/g' \
    -e 's/ō/o/g' -e 's/ó/o/g' -e 's/ǒ/o/g' -e 's/ò/o/g' \
    -e 's/ū/u/g' -e 's/ú/u/g' -e 's/ǔ/u/g' -e 's/ù/u/g' \
    -e 's/ḿ/m/g' -e 's/m̄/m/g' -e 's/ń/n/g' -e 's/ň/n/g' -e 's/ǹ/n/g' \
    -e 's/\(=.*\)$/\L\1/' > "$tmp.utf8"

# Every reading must now be plain letters; anything else is a mark this script misses.
awk '
    { value = substr($0, 5) }
    value !~ /^[a-z]+$/ { print "gen-pinyin: unexpected reading on line " NR ": " value > "/dev/stderr"; bad = 1 }
    END { if (NR < 20000) { print "gen-pinyin: only " NR " readings" > "/dev/stderr"; bad = 1 } exit bad }
' "$tmp.utf8"

{
    printf '\377\376'
    { printf '[pinyin]\n'; cat "$tmp.utf8"; } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE
} > "$tmp"
mv "$tmp" "$out"
