# What the instruction check must refuse (marked) and let pass (unmarked).
.intel_syntax noprefix
.text
    rep stosd
    movsb
    shld eax, ebx, 3
    fucompp
    fsincos
    nop
    xchg ax, ax
    lea esi, [esi+0x0]
    cmovne eax, ebx                 # refused: cmovne
    fcomi st, st(1)                 # refused: fcomi
    fucomip st, st(1)               # refused: fucomip
    fcmove st, st(1)                # refused: fcmove
    .byte 0x0f, 0x1f, 0x40, 0x00    # refused: nop
    bswap eax                       # refused: bswap
    lock cmpxchg [eax], ebx         # refused: cmpxchg
    xadd eax, ebx                   # refused: xadd
    cmpxchg8b [eax]                 # refused: cmpxchg8b
    cpuid                           # refused: cpuid
    rdtsc                           # refused: rdtsc
    ud2                             # refused: ud2
    emms                            # refused: emms
    pxor mm0, mm1                   # refused: pxor
    cvttsd2si eax, xmm0             # refused: cvttsd2si
    fisttp dword ptr [eax]          # refused: fisttp
