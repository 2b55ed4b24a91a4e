#!/usr/bin/env bash
# Checks the .z80, .szx and .tzx files and the tape loads of zelquor-cli with
# tools of the Fuse project and zmakebas:
# - snapconv's .z80 and .szx of the sample open to the same 49179 bytes;
# - the .z80 and .szx written are read by snapdump and snapconv and convert
#   back to the very same .sna; the .tzx lists six PASS blocks in tzxlist and
#   tapeconv turns it back into the same .tap;
# - the sample's tape (.tap, our .tzx, tapeconv's .tzx) loads in the embedded
#   Spectrum to the sample's code (0x6194..0xFFFF) and screen;
# - a zmakebas tape of another program and a truncated .z80 are refused.
# Run as: bash check_formats.sh WRITE_FILES WORKDIR ZELQUOR_CLI
. "$(dirname "$0")/common.sh"
need snapconv snapdump tzxlist tapeconv zmakebas cmp
[ -r /usr/share/spectrum-roms/opense.rom ] || { echo "SKIP: no OpenSE ROM (opense-basic)"; exit "$SKIP"; }
CLI=$(realpath "${3:?usage: $0 WRITE_FILES WORKDIR ZELQUOR_CLI}")
prepare "$@"
cd "$WORK" || exit 1

convert() {
    "$CLI" convert "$1" "$2" 2>err.txt || { cat err.txt; return 1; }
}

# --- snapconv's files open to the sample -------------------------------------
for ext in z80 szx; do
    if snapconv sample.sna "fuse.$ext" && convert "fuse.$ext" "from-fuse-$ext.sna" &&
        cmp -s sample.sna "from-fuse-$ext.sna"; then
        pass "snapconv's .$ext opens to the sample's 49179 bytes"
    else
        fail "snapconv's .$ext does not open to the sample"
    fi
done

# --- our files read by the Fuse tools ----------------------------------------
for ext in z80 szx; do
    convert sample.sna "ours.$ext" || fail "cannot write .$ext"
    snapdump "ours.$ext" >"dump-$ext.txt" 2>&1 && grep -q '^machine: Spectrum 48K' "dump-$ext.txt" &&
        pass "snapdump reads our .$ext as a 48K snapshot" || fail "snapdump on our .$ext: $(head -3 "dump-$ext.txt")"
    if snapconv "ours.$ext" "back-$ext.sna" 2>/dev/null && cmp -s sample.sna "back-$ext.sna"; then
        pass "snapconv turns our .$ext back into the sample .sna"
    else
        fail "snapconv's .sna of our .$ext differs"
    fi
done

convert sample.sna ours.tzx || fail "cannot write .tzx"
tzxlist ours.tzx >tzx.txt 2>&1 || fail "tzxlist rejects our .tzx"
npass=$(grep -c '(PASS)' tzx.txt)
nfail=$(grep -c '(FAIL)' tzx.txt)
nrom=$(grep -c 'Standard Speed Data' tzx.txt)
[ "$npass" -eq 6 ] && [ "$nfail" -eq 0 ] && [ "$nrom" -eq 6 ] && pass "tzxlist: six standard-speed blocks, all PASS" ||
    fail "tzxlist: $nrom standard blocks, $npass PASS, $nfail FAIL"
tapeconv ours.tzx back.tap >/dev/null 2>&1 && cmp -s sample.tap back.tap && pass "tapeconv turns our .tzx into the .tap" ||
    fail "tapeconv's .tap of our .tzx differs"

# --- tapes load in the embedded Spectrum -------------------------------------
tapeconv sample.tap fuse.tzx >/dev/null 2>&1 || fail "tapeconv cannot convert the .tap"
code=8623 # image offset of 0x6194
for tape in sample.tap ours.tzx fuse.tzx; do
    if convert "$tape" "loaded-$tape.sna"; then
        cmp -s -i "$code:$code" sample.sna "loaded-$tape.sna" && pass "$tape loads the code 0x6194..0xFFFF" ||
            fail "$tape: code differs: $(cmp -l -i "$code:$code" sample.sna "loaded-$tape.sna" | head -3)"
        cmp -s -i 27:27 -n 6912 sample.sna "loaded-$tape.sna" && pass "$tape loads the screen" ||
            fail "$tape: $(cmp -l -i 27:27 -n 6912 sample.sna "loaded-$tape.sna" | wc -l) screen bytes differ"
    else
        fail "$tape does not load"
    fi
done

# --- refusals ------------------------------------------------------------------
printf '10 PRINT "HELLO"\n20 STOP\n' >other.bas
zmakebas -a 10 -n other -o other.tap other.bas
"$CLI" convert other.tap other.sna 2>err.txt
status=$?
[ "$status" -eq 1 ] && grep -q 'other.tap: the tape stopped and the game did not start' err.txt && [ ! -e other.sna ] &&
    pass "a tape of another program is refused" || fail "other.tap: status $status, $(cat err.txt)"

head -c $(($(wc -c <ours.z80) - 500)) ours.z80 >cut.z80
"$CLI" convert cut.z80 cut.sna 2>err.txt
status=$?
[ "$status" -eq 1 ] && grep -q 'cut.z80: not a snapshot libspectrum can read' err.txt && [ ! -e cut.sna ] &&
    pass "a truncated .z80 is refused" || fail "cut.z80: status $status, $(cat err.txt)"

finish
