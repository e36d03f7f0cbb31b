#include "platform/ExecutionContext.h"

#include <cstddef>

#if !defined(__x86_64__)
#error "The context switch saves the x86-64 System V registers; another processor needs its own."
#endif

// rbx, rbp and r12-r15 are the registers the System V x86-64 convention
// makes a callee preserve; SaveContext is declared returns_twice so nothing
// live sits in the others.
asm(R"(
    .pushsection .text
    .globl  PlatformSaveContext
    .hidden PlatformSaveContext
    .type   PlatformSaveContext, @function
    .p2align 4
PlatformSaveContext:
    .cfi_startproc
    movq    %rbx, 0(%rdi)
    movq    %rbp, 8(%rdi)
    movq    %r12, 16(%rdi)
    movq    %r13, 24(%rdi)
    movq    %r14, 32(%rdi)
    movq    %r15, 40(%rdi)
    movq    %rsp, 48(%rdi)
    movq    (%rsp), %rax
    movq    %rax, 56(%rdi)
    xorl    %eax, %eax
    ret
    .cfi_endproc
    .size   PlatformSaveContext, .-PlatformSaveContext

    .globl  PlatformRestoreContext
    .hidden PlatformRestoreContext
    .type   PlatformRestoreContext, @function
    .p2align 4
PlatformRestoreContext:
    .cfi_startproc
    movq    0(%rdi), %rbx
    movq    8(%rdi), %rbp
    movq    16(%rdi), %r12
    movq    24(%rdi), %r13
    movq    32(%rdi), %r14
    movq    40(%rdi), %r15
    movq    48(%rdi), %rsp
    movq    56(%rdi), %rax
    movq    %rax, (%rsp)
    movl    $1, %eax
    ret
    .cfi_endproc
    .size   PlatformRestoreContext, .-PlatformRestoreContext
    .popsection
)");

namespace platform {

static_assert(offsetof(ExecutionContext, preserved) == 0);
static_assert(offsetof(ExecutionContext, stackPointer) == 48 && offsetof(ExecutionContext, resume) == 56);

void PrepareContext(ExecutionContext* context, uintptr_t* resumeSlot, void (*start)()) {
    // Zeroed registers: a frame pointer of 0 ends the chain the sanitizers'
    // unwinder follows.
    *context = ExecutionContext{};
    *resumeSlot = 0;
    context->stackPointer = reinterpret_cast<uint64_t>(resumeSlot);
    context->resume = reinterpret_cast<uint64_t>(start);
}

}  // namespace platform
