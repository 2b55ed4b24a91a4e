#!/usr/bin/env bash
# Runs the written files in Fuse (no display, the free OpenSE ROM) and proves
# that they start:
# - the tape, with tape traps and with the ROM's own loader: LOAD "" is typed,
#   the loader runs and reaches the game's entry 62908 with RAMTOP 24978;
#   a copy with a corrupted code block never reaches it;
# - the 48K snapshot starts at the PC saved on its stack;
# - the 128K snapshot starts at 0x5B00, pages the 48K ROM in (the paging
#   byte's ROM bit flipped) and returns to the saved PC.
# Every run is bounded by an emulated-frame limit (exit 3) and killed hard
# (SIGKILL) on an error, or after two minutes should it hang: Fuse ignores
# SIGTERM and waits in a dialog on errors. The frame limits decide; the wall
# clock only catches a hang, so a loaded machine does not fail the test.
. "$(dirname "$0")/common.sh"
need fuse-sdl stdbuf od
ROMS=/usr/share/spectrum-roms
for rom in opense.rom opense-stub.rom; do
    [ -f "$ROMS/$rom" ] || { echo "SKIP: $ROMS/$rom missing (package opense-basic)"; exit "$SKIP"; }
done
prepare "$@"
cd "$WORK" || exit 1
mkdir -p home

# fuse LOG ARGS... -> exit status of Fuse (137 when it had to be killed);
# its output in LOG. Fuse is killed at once when it reports an error (it
# would wait in a dialog) and after 120 seconds in any case.
fuse_pid=
trap '[ -n "$fuse_pid" ] && kill -KILL "$fuse_pid" 2>/dev/null' EXIT INT TERM
fuse() {
    local log=$1
    shift
    HOME="$PWD/home" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
        stdbuf -o0 -e0 fuse-sdl --no-sound --speed 5000 "$@" >"$log" 2>&1 &
    fuse_pid=$!
    local tick
    for ((tick = 0; tick < 1200; ++tick)); do
        kill -0 "$fuse_pid" 2>/dev/null || break
        grep -q 'error:' "$log" && break
        sleep 0.1
    done
    kill -KILL "$fuse_pid" 2>/dev/null
    wait "$fuse_pid" 2>/dev/null
    local rc=$?
    fuse_pid=
    if grep -q 'error:' "$log"; then
        echo "Fuse reported:"
        grep 'error:' "$log"
    fi
    return $rc
}

# Types LOAD "" by putting key codes into LAST_K and flagging a new key.
type_load='
tbreak time 100 if spectrum:frames > 150
commands 1
set 23560 239
set 23611 ([23611]|32)
continue
end
tbreak time 100 if spectrum:frames > 160
commands 2
set 23560 34
set 23611 ([23611]|32)
continue
end
tbreak time 100 if spectrum:frames > 170
commands 3
set 23560 34
set 23611 ([23611]|32)
continue
end
tbreak time 100 if spectrum:frames > 180
commands 4
set 23560 13
set 23611 ([23611]|32)
continue
end'
entry='
tbreak 62908
commands 5
print [23730]+256*[23731]
exit 42
end'
# limit FRAMES ID: a breakpoint (number ID) that exits with status 3 once
# FRAMES frames have passed.
limit() {
    printf '\nbreak time 100 if spectrum:frames > %s\ncommands %s\nexit 3\nend\n' "$1" "$2"
}

# --- tape ----------------------------------------------------------------------
tape48=(--machine 48 --rom-48 "$ROMS/opense.rom")
fuse tape-traps.log "${tape48[@]}" --tape sample.tap --debugger-command "$type_load$entry$(limit 3000 6)"
rc=$?
[ $rc -eq 42 ] && grep -qx '0x6192' tape-traps.log && pass "tape (traps): entry reached, RAMTOP 24978" \
    || fail "tape (traps): exit $rc, $(tail -1 tape-traps.log)"

fuse tape-rom.log "${tape48[@]}" --no-traps --tape sample.tap --debugger-command "$type_load$entry$(limit 20000 6)"
rc=$?
[ $rc -eq 42 ] && grep -qx '0x6192' tape-rom.log && pass "tape (ROM loader): entry reached, RAMTOP 24978" \
    || fail "tape (ROM loader): exit $rc, $(tail -1 tape-rom.log)"

cp sample.tap bad.tap
printf '\x5a' | dd of=bad.tap bs=1 seek=$((170 + 6937 + 24 + 1000)) conv=notrunc 2>/dev/null
fuse tape-bad.log "${tape48[@]}" --tape bad.tap --debugger-command "$type_load$entry$(limit 3000 6)"
rc=$?
[ $rc -eq 3 ] && pass "corrupted tape does not start" || fail "corrupted tape: exit $rc"

# --- snapshots -----------------------------------------------------------------
sp=$(word_at sample.sna 23)
pc=$(word_at sample.sna $((sp - 16384 + 27)))
paging=$(bytes_at sample128.sna $((0x5B5C - 16384 + 27)) 1)
printf -v pc_hex '0x%x' "$pc"
printf -v sp_hex '0x%x' $((sp + 2))
printf -v paged_hex '0x%x' $((paging ^ 16))

fuse snap48.log --machine 48 --rom-48 "$ROMS/opense.rom" --snapshot sample.sna --debugger-command "
break $pc
commands 1
print z80:pc
print z80:sp
exit 42
end$(limit 50 2)"
rc=$?
[ $rc -eq 42 ] && [ "$(grep -x '0x[0-9a-f]*' snap48.log | tr '\n' ' ')" = "$pc_hex $sp_hex " ] \
    && pass "48K snapshot starts at $pc_hex with SP $sp_hex" || fail "48K snapshot: exit $rc, $(tail -2 snap48.log | tr '\n' ' ')"

# A 131103-byte .sna is a Pentagon 128K to Fuse; choosing the machine up front
# keeps the breakpoints (switching machines on load drops them).
fuse snap128.log --machine pentagon --rom-pentagon-0 "$ROMS/opense-stub.rom" --rom-pentagon-1 "$ROMS/opense.rom" \
    --rom-pentagon-2 "$ROMS/opense-stub.rom" --snapshot sample128.sna --debugger-command "
break 0x5b00
commands 1
print z80:pc
continue
end
break $pc
commands 2
print z80:pc
print z80:sp
print [0x5b5c]
exit 42
end$(limit 50 3)"
rc=$?
[ $rc -eq 42 ] && [ "$(grep -x '0x[0-9a-f]*' snap128.log | tr '\n' ' ')" = "0x5b00 $pc_hex $sp_hex $paged_hex " ] \
    && pass "128K snapshot runs 0x5b00, pages $paged_hex, resumes at $pc_hex" \
    || fail "128K snapshot: exit $rc, $(grep -x '0x[0-9a-f]*' snap128.log | tr '\n' ' ')"

finish
