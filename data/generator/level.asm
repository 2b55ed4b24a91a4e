; Level viewer: draws a level of the image as the editor's level picture
; shows it (included by boot.asm).
;
; Character rows 0 and 1 are the top band.  Rows 2..23 hold the level: the
; side walls in columns 0, 1, 30 and 31, the 22 x 28 block grid in columns
; 2..29.  A block is the level's block pattern in the level's ink and paper,
; an empty cell is black.  A mirrored level stores columns 2..15 only; column
; 31 - c shows the same as column c.  With Big Border the side walls are the
; pattern doubled: each 16 x 16 tile covers two rows and two columns.
;
; Level data:
;   level records  0x61A8, one after the other: 77 bytes (full width) or
;                  39 bytes (mirrored), bit k of a record (most significant
;                  bit first) is cell k, row by row
;   mirror bitmap  0x8543, bit k (most significant first) set = level k mirrored
;   attributes     0x858C, 15 bytes, level k uses k mod 15: ink bits 2-0,
;                  paper bits 5-3, Big Border bit 7 (bit 6 unused)
;   block patterns 0xE680, 5 x 8 bytes, level k uses k mod 5

LEVEL_RECORDS   equ 0x61A8
MIRROR_BITMAP   equ 0x8543
LEVEL_ATTRS     equ 0x858C
BLOCK_PATTERNS  equ 0xE680
LEVEL_COUNT     equ 79
FULL_RECORD     equ 77
MIRRORED_RECORD equ 39
BIG_BORDER      equ 0x80

; ---------------------------------------------------------------------------
; draw_level: draws character rows 2..23 for a level.
;   in:  A = level index 0..78
;   out: all registers but IY destroyed
; ---------------------------------------------------------------------------
draw_level:     push af
                ld c,a
                call find_record
                ld (bit_ptr),hl
                ld (mirrored),a
                ld a,0x80
                ld (bit_mask),a

                pop af
                push af
                call level_attr
                ld a,(hl)
                and 0x3F                ; ink and paper; no BRIGHT, no FLASH
                ld (cell_attr),a
                ld a,(hl)
                and BIG_BORDER
                ld (big_border),a

                pop af
                call level_pattern
                ld (pattern_ptr),hl

                call make_wall_tiles
                ld b,2
draw_row:       push bc
                call draw_walls
                call draw_cells
                pop bc
                inc b
                ld a,b
                cp 24
                jr c,draw_row
                ret

; level_attr: HL = the attribute of level A (entry A mod 15); A, B destroyed.
level_attr:     ld b,15
                call modulo
                ld hl,LEVEL_ATTRS
                jr add_hl_a

; level_pattern: HL = the block pattern of level A (pattern A mod 5); A, B
; destroyed.
level_pattern:  ld b,5
                call modulo
                add a,a
                add a,a
                add a,a
                ld hl,BLOCK_PATTERNS
                ; falls through

; add_hl_a: HL += A.
add_hl_a:       add a,l
                ld l,a
                ret nc
                inc h
                ret

; modulo: A = A mod B (B > 0); B kept.
modulo:         cp b
                ret c
                sub b
                jr modulo

; ---------------------------------------------------------------------------
; find_record: walks the mirror bitmap from the first record.
;   in:  C = level index
;   out: HL = record address, A = nonzero when the level is mirrored
; ---------------------------------------------------------------------------
find_record:    ld hl,LEVEL_RECORDS
                ld de,MIRROR_BITMAP
                ld b,0x80               ; B = the level's bit in (DE)
find_next:      ld a,c
                or a
                jr z,find_done
                ld a,(de)
                and b
                push bc
                ld bc,FULL_RECORD
                jr z,find_add
                ld c,MIRRORED_RECORD
find_add:       add hl,bc
                pop bc
                rrc b
                jr nc,find_same
                inc de
find_same:      dec c
                jr find_next
find_done:      ld a,(de)
                and b
                ret

; ---------------------------------------------------------------------------
; make_wall_tiles: the four wall cells of a row pair into wall_tiles: left
; and right column of an even row, then of an odd row.  Normal border: the
; block pattern four times.  Big Border: the quarters of the doubled pattern.
; ---------------------------------------------------------------------------
make_wall_tiles:
                ld hl,(pattern_ptr)
                ld de,wall_tiles
                ld a,(big_border)
                or a
                jr nz,big_tiles
                ld b,4
normal_tile:    push bc
                push hl
                ld bc,8
                ldir
                pop hl
                pop bc
                djnz normal_tile
                ret

big_tiles:      call big_half           ; pattern rows 0..3
                                        ; then rows 4..7
; big_half: HL = first of four pattern rows, DE = left cell (right cell at
; DE + 8); out: HL on the next pattern row, DE on the next cell pair.
big_half:       ld b,4
half_row:       push bc
                ld a,(hl)
                inc hl
                push hl
                push de
                call double_nibbles     ; B = left byte, C = right byte
                pop hl                  ; the row's two lines in both cells
                ld (hl),b
                inc hl
                ld (hl),b
                ld de,7
                add hl,de
                ld (hl),c
                inc hl
                ld (hl),c
                ld de,-7
                add hl,de
                ex de,hl                ; DE = next line pair
                pop hl
                pop bc
                djnz half_row
                ex de,hl
                ld bc,8
                add hl,bc
                ex de,hl
                ret

; double_nibbles: A = pattern row; B = bits 7-4 each doubled, C = bits 3-0
; each doubled.  D, E, L destroyed.
double_nibbles: ld e,a
                call double_four
                ld b,a
                call double_four
                ld c,a
                ret

; double_four: shifts the top four bits out of E; A = each of them twice.
double_four:    ld d,4
double_bit:     sla e
                rl l
                ld a,l
                rra                     ; the same bit again
                rl l
                dec d
                jr nz,double_bit
                ld a,l
                ret

; ---------------------------------------------------------------------------
; draw_walls: the side walls of character row B (kept).
; ---------------------------------------------------------------------------
draw_walls:     ld hl,wall_tiles
                bit 0,b
                jr z,walls_even
                ld hl,wall_tiles + 16
walls_even:     ld c,0
                call wall_pair
                ld c,30
wall_pair:      push hl                 ; columns C and C + 1 from HL
                ex de,hl
                ld a,(cell_attr)
                call put_cell
                inc c
                ld a,(cell_attr)
                call put_cell
                pop hl
                ret

; ---------------------------------------------------------------------------
; draw_cells: the grid cells of character row B (kept), reading the record
; bit by bit from bit_ptr / bit_mask.
; ---------------------------------------------------------------------------
draw_cells:     ld c,2
                ld a,(mirrored)
                or a
                ld a,28
                jr z,cells_count
                ld a,14
cells_count:    ld (cells_left),a
next_cell:      call next_bit
                ld de,blank_cell
                ld a,0
                jr z,put_grid_cell
                ld de,(pattern_ptr)
                ld a,(cell_attr)
put_grid_cell:  push af
                push de
                call put_cell
                pop de
                pop af
                ld l,a
                ld a,(mirrored)
                or a
                jr z,cell_done
                push bc                 ; the mirror half: column 31 - C
                ld a,31
                sub c
                ld c,a
                ld a,l
                call put_cell
                pop bc
cell_done:      inc c
                ld hl,cells_left
                dec (hl)
                jr nz,next_cell
                ret

; next_bit: Z when the next cell of the record is empty; BC, DE kept.
next_bit:       push bc
                ld hl,(bit_ptr)
                ld a,(bit_mask)
                ld c,(hl)
                ld b,a
                rrca
                ld (bit_mask),a
                jr nc,same_byte
                inc hl
                ld (bit_ptr),hl
same_byte:      ld a,b
                and c
                pop bc
                ret

; ---------------------------------------------------------------------------
; put_cell: one character cell.
;   in:  B = character row 0..23, C = column 0..31, DE = eight pixel rows,
;        A = attribute
;   out: DE advanced by 8; BC kept; A, HL destroyed
; ---------------------------------------------------------------------------
put_cell:       push af
                call cell_address
                push bc
                ld b,8
cell_line:      ld a,(de)
                ld (hl),a
                inc de
                inc h                   ; next pixel line of the cell
                djnz cell_line
                pop bc
                call attr_high          ; L is the same for pixels and attribute
                ld h,a
                pop af
                ld (hl),a
                ret

bit_ptr:        dw 0            ; record byte of the next cell
bit_mask:       db 0            ; its bit
mirrored:       db 0            ; nonzero: mirrored level
cells_left:     db 0
cell_attr:      db 0            ; Spectrum attribute of blocks and walls
big_border:     db 0            ; BIG_BORDER or 0
pattern_ptr:    dw 0            ; the level's block pattern
blank_cell:     ds 8            ; an empty cell: no ink
wall_tiles:     ds 32
