#!/usr/bin/python3
"""Checks the built Corvex.exe as a file: PE32 for i386, GUI subsystem,
stripped, small, hardened as far as its tools can (ASLR, DEP, no SEH,
terminal-server aware, loading from Windows XP on), importing exactly the
functions the README lists (ANSI ones, but for the wide read that tells
what the code page replaced, and the wide set and paste that show a cipher
text as code page 1252 characters) and nothing that touches files, the
registry, threads, timers or the network, and carrying exactly its six
resources.

    check_pe.py PATH/TO/Corvex.exe
"""
import os
import re
import sys

import pefile

MAX_SIZE = 19 * 1024

README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")

# Functions with no A/W pair, or whose A/W form does not carry text.
NEUTRAL_USER32 = {"DialogBoxParamA", "EndDialog", "GetDlgItem", "GetWindow", "RedrawWindow", "SetFocus",
                  "SetWindowPos"}
# The wide functions: a read of a field's own text, to compare, and a set
# and a paste (EM_REPLACESEL) of a field's text in characters of another
# code page than the system's: a cipher text's, or a note's in its own.
WIDE_FIELD_TEXT = {"GetWindowTextW", "SetDlgItemTextW", "SendMessageW"}

# DllCharacteristics: ASLR, DEP, no structured exception handlers (there
# are none), aware of terminal servers.
HARDENING = {"DYNAMIC_BASE": 0x0040, "NX_COMPAT": 0x0100, "NO_SEH": 0x0400, "TERMINAL_SERVER_AWARE": 0x8000}


def readme_imports():
    """The README's table of imports: "| dll | `Name`, `Name` |" rows after
    the header "| DLL | Functions |"."""
    imports = {}
    with open(README, encoding="utf-8") as f:
        lines = iter(f.read().splitlines())
    for line in lines:
        if line.replace(" ", "") == "|DLL|Functions|":
            break
    next(lines, None)  # the |---| row
    for line in lines:
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) != 2:
            break
        imports[cells[0].lower() + ".dll"] = sorted(re.findall(r"`([A-Za-z]\w*)`", cells[1]))
    return imports

FORBIDDEN = re.compile(
    r"^(CreateFile|ReadFile|WriteFile|DeleteFile|CopyFile|MoveFile|FindFirstFile|"
    r"GetTempPath|GetTempFileName|CreateDirectory|Reg[A-Z]|CreateThread|_beginthread|"
    r"ExitThread|TlsAlloc|TlsGetValue|CreateTimerQueue|SetTimer|SetWaitableTimer|"
    r"Sleep|socket|connect|WSA|Internet|WinHttp|URLDownload|ShellExecute|CreateProcess)")

EXPECTED_RESOURCES = {
    (5, "DIALOG_0"), (5, "DIALOG_1"),  # RT_DIALOG
    (4, 1000),                         # RT_MENU
    (14, "ICON_0"), (3, 1),            # RT_GROUP_ICON and its one RT_ICON
    (16, 1),                           # RT_VERSION
    (24, 1),                           # RT_MANIFEST
}


def main(path):
    failures = []

    def check(ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            failures.append(what)

    size = os.path.getsize(path)
    pe = pefile.PE(path)
    check(pe.FILE_HEADER.Machine == 0x14C, "machine is i386")
    check(pe.OPTIONAL_HEADER.Magic == 0x10B, "PE32")
    check(pe.OPTIONAL_HEADER.Subsystem == 2, "Windows GUI subsystem")
    check(pe.FILE_HEADER.PointerToSymbolTable == 0 and pe.FILE_HEADER.NumberOfSymbols == 0,
          "stripped: no symbol table")
    check(not any(s.Name.rstrip(b"\0").startswith(b".debug") for s in pe.sections),
          "stripped: no debug sections")
    check(size <= MAX_SIZE, f"at most {MAX_SIZE} bytes ({size} bytes)")
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    for name, bit in HARDENING.items():
        check(flags & bit == bit, f"{name} is set")
    check((pe.OPTIONAL_HEADER.MajorSubsystemVersion, pe.OPTIONAL_HEADER.MinorSubsystemVersion) == (4, 0),
          "subsystem version 4.0, which Windows XP loads")
    for s in pe.sections:
        name = s.Name.rstrip(b"\0").decode()
        data = s.get_data()[:s.Misc_VirtualSize]
        check(not data or any(data), f"section {name} carries bytes that are not all zero")
    check(pe.FILE_HEADER.TimeDateStamp == 0, "no link timestamp")

    imports = {}
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        # An import by ordinal has no name: it counts as "#N".
        names = [i.name.decode() if i.name else f"#{i.ordinal}" for i in entry.imports]
        imports.setdefault(entry.dll.decode().lower(), []).extend(names)
    imports = {k: sorted(v) for k, v in imports.items()}
    print("imports:", imports)
    listed = readme_imports()
    check(set(listed) == {"kernel32.dll", "user32.dll", "comctl32.dll"},
          "the README lists imports from kernel32, user32 and comctl32: " + ", ".join(sorted(listed)))
    check(imports == listed, f"the imports are exactly the README's: {listed}")
    delayed = [e.dll.decode() for e in getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", [])]
    delay_dir = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT"]]
    check(not delayed and delay_dir.Size == 0, f"no delay-load imports: {delayed}")
    # MinGW's delay-load libraries leave that directory empty: any other DLL
    # the file names is loaded some other way.
    with open(path, "rb") as f:
        named = {m.decode().lower() for m in re.findall(rb"[A-Za-z0-9_.-]+\.dll", f.read(), re.I)}
    check(named <= set(imports), f"the only DLLs named are those imported: {sorted(named - set(imports))}")
    check("InitCommonControls" in imports.get("comctl32.dll", []),
          "comctl32's InitCommonControls is imported")
    for name in imports.get("user32.dll", []):
        check(not name.endswith("W") or name in WIDE_FIELD_TEXT,
              f"user32 {name} is not a wide-character function, or only reads, sets or pastes a field's text")
    text_functions = [n for n in imports.get("user32.dll", []) if n not in NEUTRAL_USER32 | WIDE_FIELD_TEXT]
    check(all(n.endswith("A") for n in text_functions),
          "user32 text functions are the ANSI ones: " + ", ".join(text_functions))
    for dll, names in imports.items():
        for name in names:
            check(not FORBIDDEN.match(name), f"{dll} {name} is allowed")

    found = set()
    resources = pe.DIRECTORY_ENTRY_RESOURCE.entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []
    for rtype in resources:
        for res in rtype.directory.entries:
            name = str(res.name) if res.name is not None else res.id
            found.add((rtype.id, name))
    check(found == EXPECTED_RESOURCES, f"exactly the expected resources: {sorted(map(str, found))}")

    print(f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
