#!/usr/bin/python3
"""Checks a built program without running it: the PE header of its
architecture, an import table of system DLLs only, and no debug
information, only the name of the file that holds it. For the editor also
the flags it ships with and the resources it loads, with no note stored; the
command-line companion is checked as a console program.

    check_image.py <exe> win32|win64 [editor|console]

Runs on any machine, so a build that this machine cannot run under Wine is
still checked."""
import os
import re
import sys

import pefile

SYSTEM_DLLS = re.compile(
    r"^(kernel32|user32|gdi32|comdlg32|comctl32|shell32|advapi32|msvcrt|ole32|oleaut32"
    r"|uxtheme|riched20|riched32|shlwapi|version)\.dll$")

# Per build: optional-header magic and machine.
ARCHITECTURES = {
    "win32": (pefile.OPTIONAL_HEADER_MAGIC_PE, pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]),
    "win64": (pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS, pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]),
}

# (resource type, id) pairs the program loads by id.
REQUIRED_RESOURCES = [
    ("RT_MENU", 41), ("RT_ACCELERATOR", 41), ("RT_GROUP_ICON", 41),
    ("RT_DIALOG", 42), ("RT_DIALOG", 129), ("RT_DIALOG", 132),
]


def resource_ids(pe):
    """Maps each resource type (its RT_ name or its string name) to its entry ids or names."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        kind = str(entry.name) if entry.name is not None else pefile.RESOURCE_TYPE.get(entry.id, entry.id)
        found[kind] = {str(e.name) if e.name is not None else e.id for e in entry.directory.entries}
    return found


def sections_by_name(pe):
    """Maps section names to sections. A name longer than eight characters is
    stored as "/offset" into the string table after the symbol table."""
    strings = pe.FILE_HEADER.PointerToSymbolTable + pe.FILE_HEADER.NumberOfSymbols * 18
    found = {}
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode()
        if name.startswith("/") and pe.FILE_HEADER.PointerToSymbolTable:
            start = strings + int(name[1:])
            name = bytes(pe.__data__[start:pe.__data__.find(b"\0", start)]).decode()
        found[name] = section
    return found


def check(pe, build, kind, debug_file):
    failures = []

    def expect(condition, text):
        print(("ok: " if condition else "FAILED: ") + text)
        if not condition:
            failures.append(text)

    magic, machine = ARCHITECTURES[build]
    expect(pe.OPTIONAL_HEADER.Magic == magic and pe.FILE_HEADER.Machine == machine,
           f"{'PE32+' if build == 'win64' else 'PE32'} header for {build}")
    subsystem = "IMAGE_SUBSYSTEM_WINDOWS_CUI" if kind == "console" else "IMAGE_SUBSYSTEM_WINDOWS_GUI"
    expect(pe.OPTIONAL_HEADER.Subsystem == pefile.SUBSYSTEM_TYPE[subsystem], subsystem)

    dlls = [i.dll.decode().lower() for i in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    expect(len(dlls) > 0, "an import table")
    for dll in dlls:
        expect(SYSTEM_DLLS.match(dll) is not None, f"imports only system DLLs: {dll}")

    if kind == "editor":
        expect(pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS["IMAGE_FILE_LARGE_ADDRESS_AWARE"],
               "large address aware")
        resources = resource_ids(pe)
        for resource_type, ident in REQUIRED_RESOURCES:
            expect(ident in resources.get(resource_type, set()), f"resource {resource_type} {ident}")
        expect(len(resources.get("RT_STRING", set())) > 0, "a string table")
        expect("PACKET" not in resources, "no PACKET resources: a fresh program carries no note")

    sections = sections_by_name(pe)
    expect(not any(name.startswith(".debug") for name in sections),
           f"no debug information: {sorted(sections)}")
    expect(pe.FILE_HEADER.NumberOfSymbols == 0, "no symbol table")
    link = sections.get(".gnu_debuglink")
    expect(link is not None and link.get_data().split(b"\0")[0] == debug_file.encode(),
           f"names its debug information file, {debug_file}")
    return failures


def main():
    if len(sys.argv) not in (3, 4) or sys.argv[2] not in ARCHITECTURES or sys.argv[3:] not in ([], ["editor"], ["console"]):
        sys.exit("usage: check_image.py <exe> win32|win64 [editor|console]")
    kind = sys.argv[3] if len(sys.argv) == 4 else "editor"
    debug_file = os.path.basename(sys.argv[1]) + ".debug"
    failures = check(pefile.PE(sys.argv[1]), sys.argv[2], kind, debug_file)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
