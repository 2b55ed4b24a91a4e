; Zelquor sample image: start-up program and level viewer
;
; Entered at 0xF5BC, either by resuming the snapshot (the saved PC on the
; stack) or from the tape loader's RANDOMIZE USR 62908.  It leaves the loading
; picture in screen memory alone, writes the three credit texts of the title
; screen into the bottom three character rows and holds that title screen for
; three seconds or until a key goes down.  Then it shows level 1 as the editor
; draws it and lets the player step through the levels:
;
;   N               next level (79 wraps to 1)
;   P               previous level (1 wraps to 79)
;   G, two digits   go to that level: G 0 7 shows level 7, G 4 2 level 42
;
; Every picture is drawn from the level records, the mirror bitmap, the level
; attributes and the block patterns of the image the program runs in, so a
; level edited in the editor shows as edited.
;
; The viewer's state lives at fixed addresses (see below): poke a level index
; into VIEW_LEVEL and a nonzero byte into VIEW_REDRAW, and the next frame draws
; that level; VIEW_DRAWN counts the finished pictures.
;
; The first ten bytes (DI / LD SP / LD IY / IM 1) are the image signature that
; the editor compares when a snapshot is opened: keep them first and unchanged.
;
; Assemble with:  pasmo -I data/generator --bin data/generator/boot.asm boot.bin

TITLE_TEXT      equ 0x9A32      ; credit texts, space padded, no length byte
TITLE_WIDTH     equ 24
COMPANY_TEXT    equ 0x9A4B
COMPANY_WIDTH   equ 21
AUTHOR_TEXT     equ 0x9A61
AUTHOR_WIDTH    equ 20

ROM_FONT        equ 0x3D00      ; character set of the ROM, codes 32..127
SCREEN          equ 0x4000
ATTRIBUTES      equ 0x5800
STACK_TOP       equ 0x6190      ; just below the code, above the tape's RAMTOP

TITLE_ROW       equ 21
COMPANY_ROW     equ 22
AUTHOR_ROW      equ 23

TITLE_ATTR      equ 0x56        ; bright, yellow on red
COMPANY_ATTR    equ 0x45        ; bright, cyan on black
AUTHOR_ATTR     equ 0x47        ; bright, white on black
BORDER_COLOUR   equ 0           ; black

TITLE_FRAMES    equ 150         ; three seconds at 50 frames a second

                org 0xF5BC

start:          di                      ; signature: F3
                ld sp,STACK_TOP         ; signature: 31 90 61
                ld iy,0x5C3A            ; signature: FD 21 3A 5C
                im 1                    ; signature: ED 56
                jp main

; ---------------------------------------------------------------------------
; Viewer state at fixed addresses.
; ---------------------------------------------------------------------------
VIEW_LEVEL:     db 0    ; 0xF5C9: index of the level shown, 0..78 (level number - 1)
VIEW_REDRAW:    db 0    ; 0xF5CA: nonzero asks for VIEW_LEVEL to be drawn; cleared when taken
VIEW_DRAWN:     db 0    ; 0xF5CB: level pictures finished so far (counts on from 0, wraps at 256)

                if VIEW_LEVEL != 0xF5C9
                .error "the viewer state moved"
                endif

main:           ld a,BORDER_COLOUR
                out (0xFE),a
                xor a
                ld (VIEW_LEVEL),a
                ld (VIEW_REDRAW),a
                ld (VIEW_DRAWN),a
                ld (entry_state),a

                ld hl,TITLE_TEXT
                ld b,TITLE_WIDTH
                ld c,TITLE_ROW
                ld a,TITLE_ATTR
                call print_field

                ld hl,COMPANY_TEXT
                ld b,COMPANY_WIDTH
                ld c,COMPANY_ROW
                ld a,COMPANY_ATTR
                call print_field

                ld hl,AUTHOR_TEXT
                ld b,AUTHOR_WIDTH
                ld c,AUTHOR_ROW
                ld a,AUTHOR_ATTR
                call print_field

                ei
                call title_wait

                ld a,1                  ; level 1 first
                ld (VIEW_REDRAW),a
                call scan_keys          ; a key held from the title does nothing
                ld (last_key),a

; The viewer's loop, once a frame: draw when asked or when the data of the
; level shown changed in memory, act on a key going down.
view_loop:      halt
                ld a,(VIEW_REDRAW)
                or a
                jr nz,view_draw
                call level_sum
                ld hl,(drawn_sum)
                or a
                sbc hl,de
                jr z,view_keys
view_draw:      call show_level
view_keys:      call scan_keys
                ld hl,last_key
                cp (hl)
                jr z,view_loop
                ld (hl),a
                or a
                call nz,handle_key
                jr view_loop

; ---------------------------------------------------------------------------
; title_wait: returns after TITLE_FRAMES frames or at the first frame a key
; goes down that was up the frame before.
; ---------------------------------------------------------------------------
title_wait:     call any_key
                ld c,a
                ld b,TITLE_FRAMES
title_frame:    halt
                call any_key
                ld e,a
                ld a,c
                cpl
                and e                   ; down now, up a frame ago
                ret nz
                ld c,e
                djnz title_frame
                ret

; any_key: A = bits 0-4 set for the keys held in any half-row; Z when none.
any_key:        xor a
                in a,(0xFE)
                cpl
                and 0x1F
                ret

; ---------------------------------------------------------------------------
; show_level: takes the redraw request and draws level VIEW_LEVEL (an index
; past the last level shows the last level) with its top band.
; ---------------------------------------------------------------------------
show_level:     xor a
                ld (VIEW_REDRAW),a
                ld a,(VIEW_LEVEL)
                cp LEVEL_COUNT
                jr c,show_index
                ld a,LEVEL_COUNT - 1
                ld (VIEW_LEVEL),a
show_index:     push af
                call level_sum
                ld (drawn_sum),de
                pop af
                call draw_level
                call draw_top_band
                ld hl,VIEW_DRAWN
                inc (hl)
                ret

; ---------------------------------------------------------------------------
; level_sum: DE = a sum over the bytes the picture of level VIEW_LEVEL (at
; most the last level) is drawn from: its record, the mirror bitmap, its
; attribute and its block pattern.  Any one byte changed changes D.
;   out: DE; all registers but IY destroyed
; ---------------------------------------------------------------------------
level_sum:      ld a,(VIEW_LEVEL)
                cp LEVEL_COUNT
                jr c,sum_level
                ld a,LEVEL_COUNT - 1
sum_level:      push af
                ld c,a
                call find_record        ; HL = record, A = nonzero when mirrored
                ld de,0
                ld b,FULL_RECORD
                or a
                jr z,sum_record
                ld b,MIRRORED_RECORD
sum_record:     call sum_bytes
                ld hl,MIRROR_BITMAP
                ld b,10
                call sum_bytes
                pop af
                push af
                call level_attr
                ld b,1
                call sum_bytes
                pop af
                call level_pattern
                ld b,8
                ; falls through

; sum_bytes: D += each of the B bytes from HL, E += D after each.
sum_bytes:      ld a,d
                add a,(hl)
                ld d,a
                add a,e
                ld e,a
                inc hl
                djnz sum_bytes
                ret

drawn_sum:      dw 0    ; level_sum of the level last drawn

; ---------------------------------------------------------------------------
; Keys. scan_keys: A = code of the first key of key_table held, 0 for none.
; ---------------------------------------------------------------------------
scan_keys:      ld hl,key_table
scan_next:      ld a,(hl)               ; half-row select byte, 0 ends the table
                or a
                ret z
                inc hl
                in a,(0xFE)
                and (hl)                ; a key held reads as 0
                inc hl
                jr z,scan_found
                inc hl
                jr scan_next
scan_found:     ld a,(hl)
                ret

key_table:      db 0x7F,0x08,'N'
                db 0xDF,0x01,'P'
                db 0xFD,0x10,'G'
                db 0xEF,0x01,'0'
                db 0xF7,0x01,'1'
                db 0xF7,0x02,'2'
                db 0xF7,0x04,'3'
                db 0xF7,0x08,'4'
                db 0xF7,0x10,'5'
                db 0xEF,0x10,'6'
                db 0xEF,0x08,'7'
                db 0xEF,0x04,'8'
                db 0xEF,0x02,'9'
                db 0

; handle_key: A = code of a key that just went down.
handle_key:     cp 'N'
                jr z,key_next
                cp 'P'
                jr z,key_previous
                cp 'G'
                jr z,key_go_to
                ld c,a                  ; a digit: counts only after G
                ld a,(entry_state)
                or a
                ret z
                dec a
                jr nz,second_digit
                ld a,c
                sub '0'
                ld (entry_tens),a
                ld a,2
                ld (entry_state),a
                jp draw_hint

second_digit:   xor a
                ld (entry_state),a
                ld a,(entry_tens)       ; level number = 10 x tens + units
                ld b,a
                add a,a
                add a,a
                add a,b
                add a,a
                ld b,a
                ld a,c
                sub '0'
                add a,b
                dec a                   ; level index; number 0 gives 255
                cp LEVEL_COUNT
                jp nc,draw_hint         ; no such level: the hint comes back
                jr set_level

key_next:       ld a,(VIEW_LEVEL)
                inc a
                cp LEVEL_COUNT
                jr c,set_level
                xor a
                jr set_level

key_previous:   ld a,(VIEW_LEVEL)
                or a
                jr nz,previous_index
                ld a,LEVEL_COUNT
previous_index: dec a

set_level:      ld (VIEW_LEVEL),a
                xor a
                ld (entry_state),a
                inc a
                ld (VIEW_REDRAW),a
                ret

key_go_to:      ld a,1
                ld (entry_state),a
                jp draw_hint

entry_state:    db 0    ; 0: no entry, 1: G pressed, 2: tens digit typed
entry_tens:     db 0
last_key:       db 0    ; code scan_keys gave a frame ago

                include "level.asm"
                include "text.asm"

program_end:
                if program_end > 0xFF90
                .error "start-up program runs into the item table"
                endif
