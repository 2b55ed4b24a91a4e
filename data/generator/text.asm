; Screen addresses and text: the credit rows of the title screen and the top
; band of the level viewer (included by boot.asm).

BAND_ATTR       equ 0x06        ; yellow on black: the level number and N / P
HINT_ATTR       equ 0x05        ; cyan on black: the go-to line

; ---------------------------------------------------------------------------
; draw_top_band: character rows 0 and 1 for level VIEW_LEVEL.
; ---------------------------------------------------------------------------
draw_top_band:  ld b,0
                ld a,BAND_ATTR
                call clear_row
                ld a,(VIEW_LEVEL)
                inc a
                ld b,'0' - 1
band_tens:      inc b
                sub 10
                jr nc,band_tens
                add a,'0' + 10
                ld (level_digits + 1),a
                ld a,b
                ld (level_digits),a
                ld hl,band_text
                ld bc,0x0001
                call print_at
                                        ; then the hint line
; draw_hint: character row 1, the go-to hint or the number typed so far.
draw_hint:      ld b,1
                ld a,HINT_ATTR
                call clear_row
                ld hl,hint_text
                ld a,(entry_state)
                or a
                jr z,hint_print
                ld a,(entry_tens)
                add a,'0'
                ld e,a
                ld a,(entry_state)
                dec a
                ld a,'_'
                jr nz,hint_tens         ; state 2: the tens digit is typed
                ld e,a
hint_tens:      ld a,e
                ld (entry_digits),a
                ld hl,entry_text
hint_print:     ld bc,0x0101
                jp print_at

band_text:      db "LEVEL "
level_digits:   db "01    N:NEXT  P:PREVIOUS",0
hint_text:      db "G AND TWO DIGITS: GO TO LEVEL",0
entry_text:     db "GO TO LEVEL "
entry_digits:   db "__   (01 TO 79)",0

; ---------------------------------------------------------------------------
; print_field: clear one character row, colour it and print a text field
; centred on it, without its trailing blanks.
;   in:  HL = text, B = field width (1..32), C = character row (0..23),
;        A = attribute for the whole row
;   out: AF, BC, DE, HL destroyed
; ---------------------------------------------------------------------------
print_field:    push hl
                push bc
                ld b,c
                call clear_row
                pop bc                  ; B = width, C = row
                pop hl
                call visible_length
                ld a,e
                or a
                ret z                   ; nothing to print
                push af
                ld a,32                 ; first column = (32 - length) / 2
                sub e
                srl a
                ld b,c
                ld c,a
                push hl
                call cell_address
                ex de,hl
                pop hl
                pop bc                  ; B = length
field_char:     ld a,(hl)
                call print_glyph
                inc hl
                djnz field_char
                ret

; visible_length: E = length of the field at HL (width B) without its
; trailing bytes 0..32.  BC, HL kept.
visible_length: ld e,b
trim:           ld a,e
                or a
                ret z
                push hl
                push de
                ld d,0
                add hl,de
                dec hl
                pop de
                ld a,(hl)
                pop hl
                cp 0x21
                ret nc
                dec e
                jr trim

; print_at: zero-terminated text HL at character row B, column C.
print_at:       push hl
                call cell_address
                ex de,hl
                pop hl
print_next:     ld a,(hl)
                or a
                ret z
                call print_glyph
                inc hl
                jr print_next

; print_glyph: character A (codes outside 32..127 as '?') into the cell at
; DE, then DE on the next column.  BC, HL kept.
print_glyph:    cp 32
                jr c,not_printable
                cp 128
                jr c,printable
not_printable:  ld a,'?'
printable:      push hl
                push bc
                push de
                ld l,a                  ; HL = ROM_FONT + 8 * (code - 32)
                ld h,0
                add hl,hl
                add hl,hl
                add hl,hl
                ld bc,ROM_FONT - 256
                add hl,bc
                ld b,8
glyph_line:     ld a,(hl)
                ld (de),a
                inc hl
                inc d                   ; next pixel line of the same cell
                djnz glyph_line
                pop de
                inc e
                pop bc
                pop hl
                ret

; ---------------------------------------------------------------------------
; clear_row: blanks the eight pixel lines of character row B and gives its
; 32 cells attribute A.  BC kept.
; ---------------------------------------------------------------------------
clear_row:      push bc
                push af
                ld c,0
                call cell_address
                push hl
                ld c,8
clear_line:     push hl
                ld b,32
clear_byte:     ld (hl),0
                inc l
                djnz clear_byte
                pop hl
                inc h
                dec c
                jr nz,clear_line
                pop hl                  ; L of the row's first cell
                pop af
                pop bc
                ld e,a
                call attr_high
                ld h,a
                push bc
                ld b,32
clear_attr:     ld (hl),e
                inc l
                djnz clear_attr
                pop bc
                ret

; ---------------------------------------------------------------------------
; cell_address: HL = top pixel line of character row B, column C; A destroyed.
; The attribute of that cell is at attr_high * 256 + L.
; ---------------------------------------------------------------------------
cell_address:   ld a,b
                and 0x18                ; third of the screen -> bits 4..3 of H
                or SCREEN / 256
                ld h,a
                ld a,b
                and 0x07                ; row in the third -> bits 7..5 of L
                rrca
                rrca
                rrca
                or c
                ld l,a
                ret

; attr_high: A = high byte of the attribute address of character row B.
attr_high:      ld a,b
                rrca
                rrca
                rrca
                and 0x03
                or ATTRIBUTES / 256
                ret
