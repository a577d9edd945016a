; Start-up of swpclnr.exe, a .COM-layout image: DOS loads it at PSP:0100h with CS = DS = ES = SS
; and gives it all free conventional memory. Check that the image, its .bss and its stack fit in
; what DOS gave (PSP:0002h holds the first paragraph beyond it), set a 32-bit stack pointer,
; clear .bss, run the constructors, call dos_main and exit with its result.
        bits 16
        section .startup progbits alloc exec
        global _start
        extern dos_main, __bss_start, __bss_end, __stack_top, __init_array_start, __init_array_end
_start:
        mov ax, cs
        mov ds, ax
        mov es, ax
        mov bx, [2]                     ; first paragraph beyond our memory
        sub bx, ax                      ; paragraphs we have
        cmp bx, 0x1000                  ; the whole 64 KiB segment
        jae .enough
        mov ah, 0x4C
        mov al, 8                       ; not enough memory
        int 0x21
.enough:
        cli
        mov ss, ax
        mov esp, __stack_top
        sti
        cld
        mov edi, __bss_start
        mov ecx, __bss_end
        sub ecx, edi
        xor al, al
        rep stosb
        mov esi, __init_array_start
.ctors: cmp esi, __init_array_end
        jae .main
        push esi
        call dword [esi]
        pop esi
        add esi, 4
        jmp .ctors
.main:  call dword dos_main
        mov ah, 0x4C
        int 0x21
