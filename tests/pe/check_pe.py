#!/usr/bin/env python3
"""Checks a Windows program's PE header: ASLR (with high entropy on 64-bit),
DEP, and an import table that names only Windows system DLLs."""
import struct
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "msimg32.dll", "advapi32.dll", "shell32.dll",
    "msvcrt.dll", "ntdll.dll", "comctl32.dll", "psapi.dll", "ole32.dll", "shlwapi.dll",
}
DYNAMIC_BASE = 0x0040
HIGH_ENTROPY_VA = 0x0020
NX_COMPAT = 0x0100


def read_pe(path):
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        raise ValueError("not an MZ file")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine, sections, _, _, _, optional_size, characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    is64 = magic == 0x20B
    dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    directories = optional + (112 if is64 else 96)
    import_rva, _ = struct.unpack_from("<II", data, directories + 8)
    section_table = optional + optional_size
    section_list = []
    for i in range(sections):
        base = section_table + 40 * i
        vsize, vaddr, rsize, raddr = struct.unpack_from("<IIII", data, base + 8)
        section_list.append((vaddr, max(vsize, rsize), raddr))

    def offset(rva):
        for vaddr, size, raddr in section_list:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError("rva %x outside sections" % rva)

    imports = []
    if import_rva:
        at = offset(import_rva)
        while True:
            entry = struct.unpack_from("<IIIII", data, at)
            if entry == (0, 0, 0, 0, 0):
                break
            name_at = offset(entry[3])
            name = data[name_at:data.index(b"\0", name_at)].decode("ascii")
            imports.append(name.lower())
            at += 20
    return {"machine": machine, "is64": is64, "dll": dll_characteristics, "subsystem": subsystem,
            "imports": imports, "characteristics": characteristics}


def check(path, expect64):
    info = read_pe(path)
    problems = []
    if info["is64"] != expect64:
        problems.append("expected a %s-bit image" % ("64" if expect64 else "32"))
    if not info["dll"] & DYNAMIC_BASE:
        problems.append("no ASLR (DYNAMIC_BASE)")
    if expect64 and not info["dll"] & HIGH_ENTROPY_VA:
        problems.append("no high-entropy ASLR")
    if not info["dll"] & NX_COMPAT:
        problems.append("no DEP (NX_COMPAT)")
    if info["subsystem"] != 2:
        problems.append("not a GUI program (subsystem %d)" % info["subsystem"])
    foreign = [name for name in info["imports"] if name not in SYSTEM_DLLS and not name.startswith("api-ms-win-")]
    if foreign:
        problems.append("imports DLLs that are not Windows system DLLs: " + ", ".join(foreign))
    return info, problems


def main():
    failed = 0
    passed = 0
    for arg in sys.argv[1:]:
        path, _, bits = arg.partition(":")
        info, problems = check(path, bits != "32")
        if problems:
            failed += 1
            print("FAIL %s: %s" % (path, "; ".join(problems)))
        else:
            passed += 1
            print("ok   %s: imports %s" % (path, ", ".join(info["imports"])))
    print("pe: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
