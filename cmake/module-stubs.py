#!/usr/bin/env python3
"""Writes the stubs through which the program calls a module that it loads on first use.

For every function that the module exports (a global text symbol of its dynamic symbol table), the
stub is a function of the same name that jumps through a table. The table starts out pointing at code
that saves the argument registers, has lumivo_bind_module (platform/modules) load the module and fill
the table with the real addresses, and then jumps on: the first call into the module pays for the
loading, later calls only for one indirect jump, and callers see the module's own declarations.

The output is a C++ file (its stubs in a top-level asm block) written only when its text changes, so
that relinking the module relinks nothing else. x86-64 only: other machines link the modules directly.

Usage: module-stubs.py NM MODULE FILE_NAME OUTPUT
"""
import os
import subprocess
import sys

# Registers that carry arguments (and, in %al, the vector count of a variadic call), saved around the
# loading; %r11 holds the stub's index in the table.
SAVED_REGISTERS = ["%r11", "%rdi", "%rsi", "%rdx", "%rcx", "%r8", "%r9", "%rax"]
VECTOR_REGISTERS = 8
# After the caller's call (8 bytes) and the pushes above, this keeps %rsp 16-byte aligned at the call.
FRAME = VECTOR_REGISTERS * 16 + 8


def exported_functions(nm, module):
    listing = subprocess.run([nm, "-D", "--defined-only", "--format=posix", module], check=True,
                             capture_output=True, text=True).stdout
    names = []
    for line in listing.splitlines():
        fields = line.split()
        if len(fields) >= 2 and fields[1] == "T" and fields[0] not in ("_init", "_fini"):
            names.append(fields[0])
    return sorted(set(names))


def binder(count, file_name):
    saves = [f"    pushq {register}" for register in SAVED_REGISTERS]
    saves.append(f"    subq ${FRAME}, %rsp")
    saves += [f"    movdqu %xmm{i}, {16 * i}(%rsp)" for i in range(VECTOR_REGISTERS)]
    restores = [f"    movdqu {16 * i}(%rsp), %xmm{i}" for i in range(VECTOR_REGISTERS)]
    restores.append(f"    addq ${FRAME}, %rsp")
    restores += [f"    popq {register}" for register in reversed(SAVED_REGISTERS)]
    return "\n".join([
        ".Lbind:",
        *saves,
        "    leaq .Lmodule(%rip), %rdi",
        "    leaq .Lnames(%rip), %rsi",
        "    leaq .Ltable(%rip), %rdx",
        f"    movl ${count}, %ecx",
        "    call lumivo_bind_module@PLT",
        *restores,
        "    leaq .Ltable(%rip), %r10",
        "    jmp *(%r10,%r11,8)",
        "    .section .rodata",
        f'.Lmodule: .asciz "{file_name}"',
    ])


def stubs(names, file_name):
    lines = ["    .pushsection .text"]
    for index, name in enumerate(names):
        lines += [
            f"    .globl {name}",
            f"    .type {name}, @function",
            "    .p2align 4",
            f"{name}:",
            f"    jmp *.Ltable+{8 * index}(%rip)",
            f"    .size {name}, .-{name}",
            f".Lfirst{index}:",
            f"    movl ${index}, %r11d",
            "    jmp .Lbind",
        ]
    lines.append(binder(len(names), file_name))
    lines += [f'.Lname{i}: .asciz "{name}"' for i, name in enumerate(names)]
    lines += ['    .section .data.rel.ro, "aw"', "    .p2align 3", ".Lnames:"]
    lines += [f"    .quad .Lname{i}" for i in range(len(names))]
    lines += ["    .data", "    .p2align 3", ".Ltable:"]
    lines += [f"    .quad .Lfirst{i}" for i in range(len(names))]
    lines.append("    .popsection")
    return "\n".join(lines)


def source(names, file_name, module):
    return f"""// Made by cmake/module-stubs.py from {os.path.basename(module)}: the program's calls into the module.
#include "platform/modules/Modules.h"

namespace
{{
const lumivo::modules::Registration registration("{file_name}");
}}

asm(R"(
{stubs(names, file_name)}
)");
"""


def main():
    nm, module, file_name, output = sys.argv[1:5]
    names = exported_functions(nm, module)
    if not names:
        sys.exit(f"module-stubs: {module} exports no function")
    text = source(names, file_name, module)
    if os.path.exists(output):
        with open(output, encoding="utf-8") as old:
            if old.read() == text:
                return
    with open(output, "w", encoding="utf-8") as new:
        new.write(text)


if __name__ == "__main__":
    main()
