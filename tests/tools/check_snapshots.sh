#!/usr/bin/env bash
# Checks the 48K and 128K snapshot files with tools of the Fuse project:
# snapdump reads both (machine, PC, SP, paging, RAM pages) and snapconv
# converts each to .szx and back to the very same bytes.
. "$(dirname "$0")/common.sh"
need snapdump snapconv sha1sum od cmp
prepare "$@"
cd "$WORK" || exit 1

hex4() { printf '0x%04X' "$1"; }

# SP saved in the header; a 48K snapshot keeps its PC on that stack.
sp=$(word_at sample.sna 23)
pc=$(word_at sample.sna $((sp - 16384 + 27)))
echo "header SP $(hex4 "$sp"), saved PC $(hex4 "$pc")"

# --- 48K ---------------------------------------------------------------------
if snapdump sample.sna >dump48.txt 2>&1; then
    grep -q '^machine: Spectrum 48K' dump48.txt && pass "48K: machine" || fail "48K: machine is $(grep machine: dump48.txt)"
    grep -q "^PC:  $(hex4 "$pc")\$" dump48.txt && pass "48K: PC $(hex4 "$pc")" || fail "48K: $(grep '^PC:' dump48.txt)"
    grep -q "^SP:  $(hex4 $((sp + 2)))\$" dump48.txt && pass "48K: SP" || fail "48K: $(grep '^SP:' dump48.txt)"
else
    fail "snapdump rejects sample.sna"
    cat dump48.txt
fi

# --- 128K --------------------------------------------------------------------
zero=$(head -c 16384 /dev/zero | sha1sum | cut -d' ' -f1)
if snapdump sample128.sna >dump128.txt 2>&1; then
    grep -q '^machine: .*128K' dump128.txt && pass "128K: machine" || fail "128K: machine is $(grep machine: dump128.txt)"
    grep -q '^PC:  0x5B00$' dump128.txt && pass "128K: PC 0x5B00" || fail "128K: $(grep '^PC:' dump128.txt)"
    grep -q "^SP:  $(hex4 "$sp")\$" dump128.txt && pass "128K: SP left on the saved PC" || fail "128K: $(grep '^SP:' dump128.txt)"
    grep -q '^128 mem: 0x00$' dump128.txt && pass "128K: port 0x7FFD 0x00" || fail "128K: $(grep '128 mem' dump128.txt)"
    for page in 1 3 4 6 7; do
        grep -q "^ram_page_$page size: 0x4000, sha1: $zero\$" dump128.txt && pass "128K: page $page zero" \
            || fail "128K: page $page is not zero"
    done
    for page in 0 2; do
        a=$(grep "^ram_page_$page " dump48.txt)
        b=$(grep "^ram_page_$page " dump128.txt)
        [ -n "$a" ] && [ "$a" = "$b" ] && pass "128K: page $page as in the 48K file" || fail "128K: page $page differs"
    done
else
    fail "snapdump rejects sample128.sna"
    cat dump128.txt
fi

# --- libspectrum reads them as written -----------------------------------------
for f in sample sample128; do
    if snapconv "$f.sna" "$f.szx" && snapconv "$f.szx" "back-$f.sna" && cmp -s "$f.sna" "back-$f.sna"; then
        pass "$f.sna survives .szx and back"
    else
        fail "$f.sna changes through .szx"
    fi
done

finish
