#!/usr/bin/env bash
# Checks the tape file with tools of the Fuse project and zmakebas:
# - tzxlist: three header/data pairs "Zelqor" (program, LINE 0), "screen"
#   and "code" with their lengths, every checksum PASS; a corrupted copy FAILs;
# - listbasic: the four lines of the loader;
# - zmakebas: the loader's program bytes equal what zmakebas makes from the
#   same four lines, byte for byte (the variables area comes after them).
. "$(dirname "$0")/common.sh"
need tzxlist listbasic zmakebas od cmp
prepare "$@"
cd "$WORK" || exit 1

tap=sample.tap
size=$(wc -c <"$tap")
[ "$size" -eq 47688 ] && pass "tape is 47688 bytes" || fail "tape is $size bytes"

# --- tzxlist -----------------------------------------------------------------
if ! tzxlist "$tap" >list.txt 2>&1; then
    fail "tzxlist rejects the tape"
fi
npass=$(grep -c 'Checksum: 0x[0-9a-f]* (PASS)' list.txt)
nfail=$(grep -c '(FAIL)' list.txt)
[ "$npass" -eq 6 ] && [ "$nfail" -eq 0 ] && pass "six checksums PASS" || fail "checksums: $npass PASS, $nfail FAIL"

expect_line() {
    grep -qF -- "$1" list.txt && pass "tzxlist: $1" || fail "tzxlist lacks: $1"
}
expect_line 'Program: "Zelqor    " LINE 0'
expect_line 'Length: 145, includes variable length: 19'
expect_line 'Bytes: "screen    " CODE  32768, 6912'
expect_line 'Bytes: "code      " CODE  24980, 40556'
expect_line 'zxlength: 6912, parameter1: 32768, parameter2: 32768'
expect_line 'zxlength: 40556, parameter1: 24980, parameter2: 32966'

blocks=$(grep -o 'Block length: [0-9]*' list.txt | awk '{print $3}' | tr '\n' ' ')
[ "$blocks" = "19 147 19 6914 19 40558 " ] && pass "block lengths $blocks" || fail "block lengths are: $blocks"

# tzxlist does not compare a header's length with the data block after it.
headers=$(grep -o 'zxlength: [0-9]*' list.txt | awk '{print $2}' | tr '\n' ' ')
datas=$(grep -o 'Datablock length: [0-9]*' list.txt | awk '{print $3}' | tr '\n' ' ')
[ -n "$headers" ] && [ "$headers" = "$datas" ] && pass "headers announce their data ($headers)" \
    || fail "header lengths '$headers' against data lengths '$datas'"

# A corrupted copy: one byte of the loader header's name and one byte of the
# screen data. Exactly those two blocks must FAIL.
cp "$tap" bad.tap
printf '\x5a' | dd of=bad.tap bs=1 seek=5 conv=notrunc 2>/dev/null
printf '\x5a' | dd of=bad.tap bs=1 seek=$((170 + 24 + 100)) conv=notrunc 2>/dev/null
tzxlist bad.tap >bad.txt 2>&1
bad=$(grep -o '(PASS)\|(FAIL)' bad.txt | tr '\n' ' ')
[ "$bad" = "(FAIL) (PASS) (PASS) (FAIL) (PASS) (PASS) " ] && pass "corrupted copy fails where corrupted" \
    || fail "corrupted copy gives: $bad"

# --- listbasic ---------------------------------------------------------------
cat >expected.txt <<'LIST'
10 CLEAR 24978
20 LOAD ""SCREEN$ : POKE 23739,111: LOAD ""CODE
30 RANDOMIZE USR 62908
9999 SAVE "Zelqor" LINE 0: SAVE "code"CODE 24980,40556
LIST
if listbasic "$tap" >basic.raw 2>&1; then
    sed 's/^[[:space:]]*//; s/[[:space:]]*$//' basic.raw | grep -v '^$' >basic.txt
    if cmp -s basic.txt expected.txt; then
        pass "listbasic shows the four lines"
    else
        fail "listbasic shows:"
        cat basic.raw
    fi
else
    fail "listbasic rejects the tape"
fi

# --- zmakebas ----------------------------------------------------------------
cat >loader.bas <<'BAS'
10 CLEAR 24978
20 LOAD "" SCREEN$ : POKE 23739,111 : LOAD "" CODE
30 RANDOMIZE USR 62908
9999 SAVE "Zelqor" LINE 0 : SAVE "code" CODE 24980,40556
BAS
if zmakebas -a 0 -n Zelqor -o zmake.tap loader.bas; then
    zlen=$(word_at zmake.tap 14)
    [ "$zlen" -eq 126 ] && pass "zmakebas program is 126 bytes" || fail "zmakebas program is $zlen bytes"
    [ "$(word_at "$tap" 14)" -eq 145 ] && [ "$(word_at "$tap" 18)" -eq 126 ] \
        && pass "loader holds 126 program bytes and 19 of variables" || fail "loader lengths"
    # Flag, type, name and autostart line of the header.
    if cmp -s -n 12 -i 2:2 zmake.tap "$tap" && [ "$(word_at zmake.tap 16)" -eq "$(word_at "$tap" 16)" ]; then
        pass "loader header as zmakebas writes it"
    else
        fail "loader header differs from zmakebas: $(bytes_at zmake.tap 2 18) / $(bytes_at "$tap" 2 18)"
    fi
    if cmp -n 126 -i 24:24 zmake.tap "$tap"; then
        pass "program bytes equal zmakebas's"
    else
        fail "program bytes differ from zmakebas's"
    fi
else
    fail "zmakebas could not tokenise the loader"
fi

finish
