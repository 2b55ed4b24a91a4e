; Zelquor sample image: start-up program
;
; Entered at 0xF5BC, either by resuming the snapshot (the saved PC on the
; stack) or from the tape loader's RANDOMIZE USR 62908.  It leaves the loading
; picture in screen memory alone, writes the three credit texts of the title
; screen into the bottom three character rows and then idles.
;
; The first ten bytes (DI / LD SP / LD IY / IM 1) are the image signature that
; the editor compares when a snapshot is opened: keep them first and unchanged.
;
; Assemble with:  pasmo --bin boot.asm boot.bin

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

                org 0xF5BC

start:          di                      ; signature: F3
                ld sp,STACK_TOP         ; signature: 31 90 61
                ld iy,0x5C3A            ; signature: FD 21 3A 5C
                im 1                    ; signature: ED 56

                ld a,BORDER_COLOUR
                out (0xFE),a

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
idle:           halt
                jr idle

; ---------------------------------------------------------------------------
; print_field: clear one character row, colour it and print a text field
; centred on it, without its trailing blanks.
;   in:  HL = text, B = field width (1..32), C = character row (0..23),
;        A = attribute for the whole row
;   out: AF, BC, DE, HL destroyed
; ---------------------------------------------------------------------------
print_field:    push hl
                push bc

                ; attribute address of the row: 0x5800 + 32 * row
                ld e,a
                ld a,c
                rrca
                rrca
                rrca
                ld l,a
                and 0x03
                add a,ATTRIBUTES / 256
                ld h,a
                ld a,l
                and 0xE0
                ld l,a
                ld b,32
fill_attr:      ld (hl),e
                inc hl
                djnz fill_attr

                ; pixel address of the row's first cell, kept in DE
                ld a,c
                call cell_address
                push de

                ; blank all eight pixel lines of the row
                ld c,8
clear_line:     ld h,d
                ld l,e
                ld b,32
clear_byte:     ld (hl),0
                inc l
                djnz clear_byte
                inc d
                dec c
                jr nz,clear_line

                pop de                  ; DE = row start again
                pop bc                  ; B = width
                pop hl                  ; HL = text

                ; visible length: drop trailing bytes 0..32
                ld c,b
trim:           ld a,c
                or a
                ret z                   ; nothing to print
                push hl
                ld b,0
                add hl,bc
                dec hl
                ld a,(hl)
                pop hl
                cp 0x21
                jr nc,trimmed
                dec c
                jr trim

trimmed:        ld a,32                 ; first column = (32 - length) / 2
                sub c
                srl a
                add a,e
                ld e,a

print_char:     ld a,(hl)
                cp 32
                jr c,not_printable
                cp 128
                jr c,printable
not_printable:  ld a,'?'
printable:      push hl
                ld l,a                  ; HL = ROM_FONT + 8 * (code - 32)
                ld h,0
                add hl,hl
                add hl,hl
                add hl,hl
                ld a,h
                add a,(ROM_FONT - 256) / 256
                ld h,a
                push de
                ld b,8
glyph_line:     ld a,(hl)
                ld (de),a
                inc hl
                inc d                   ; next pixel line of the same cell
                djnz glyph_line
                pop de
                inc e                   ; next column
                pop hl
                inc hl
                dec c
                jr nz,print_char
                ret

; ---------------------------------------------------------------------------
; cell_address: screen address of column 0 of a character row
;   in:  A = character row (0..23)
;   out: DE = address of the top pixel line; A destroyed
; ---------------------------------------------------------------------------
cell_address:   ld d,a
                and 0x07                ; low three bits -> bits 7..5 of E
                rrca
                rrca
                rrca
                ld e,a
                ld a,d
                and 0x18                ; third of the screen -> bits 4..3 of D
                or SCREEN / 256
                ld d,a
                ret

program_end:
                if program_end > 0xFF90
                .error "start-up program runs into the item table"
                endif
