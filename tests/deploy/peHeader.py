#!/usr/bin/env python3
"""Prints what a Windows program's PE header says, one fact a line:
format (PE32 or PE32+), machine, subsystem, the security flags that are set,
and "import NAME" for each DLL it loads. Standard library only."""

import struct
import sys

MACHINES = {0x14C: "i386", 0x8664: "x86-64", 0xAA64: "arm64"}
SUBSYSTEMS = {2: "gui", 3: "console"}
FLAGS = {0x20: "high-entropy-va", 0x40: "dynamic-base", 0x100: "nx-compat"}


def describe(data):
    if data[:2] != b"MZ":
        raise ValueError("no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    if magic == 0x10B:
        kind, dirs = "PE32", opt + 96
    elif magic == 0x20B:
        kind, dirs = "PE32+", opt + 112
    else:
        raise ValueError(f"unknown optional header magic {magic:#x}")
    subsystem, dll_chars = struct.unpack_from("<HH", data, opt + 68)
    facts = [kind, f"machine {MACHINES.get(machine, hex(machine))}",
             f"subsystem {SUBSYSTEMS.get(subsystem, subsystem)}"]
    facts += [name for bit, name in FLAGS.items() if dll_chars & bit]

    table = opt + optional_size
    spans = []
    for i in range(sections):
        _, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
        spans.append((vaddr, max(vsize, rawsize), rawptr))

    def offset(rva):
        for vaddr, size, rawptr in spans:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + rawptr
        raise ValueError(f"address {rva:#x} in no section")

    import_rva = struct.unpack_from("<I", data, dirs + 8)[0]
    if import_rva:
        at = offset(import_rva)
        while True:
            descriptor = struct.unpack_from("<IIIII", data, at)
            if not any(descriptor):
                break
            name_at = offset(descriptor[3])
            facts.append("import " + data[name_at:data.index(b"\0", name_at)].decode("ascii"))
            at += 20
    return facts


def main(argv):
    if len(argv) != 2:
        print("usage: peHeader.py FILE", file=sys.stderr)
        return 2
    with open(argv[1], "rb") as f:
        data = f.read()
    try:
        facts = describe(data)
    except (ValueError, struct.error) as e:
        print(f"{argv[1]}: not a Windows program: {e}", file=sys.stderr)
        return 1
    print("\n".join(facts))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
