#!/usr/bin/python3
"""Checks that the layers of the program point one way: each folder's sources
include only the folders below it.

    check_layers.py <source root>"""
import pathlib
import re
import sys

# Each folder and the project folders its sources may include besides itself.
ALLOWED = {
    "crypto": set(),
    "store": set(),
    "note": {"crypto", "store"},
    "cli": {"crypto", "store", "note"},
    "framework": set(),
    "image": {"crypto", "framework", "store", "note"},
    "ui": {"crypto", "image", "framework"},
    "app": {"crypto", "image", "framework", "ui"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.MULTILINE)


def main():
    root = pathlib.Path(sys.argv[1])
    failures = []
    for folder, allowed in ALLOWED.items():
        for source in sorted((root / folder).glob("*.[ch]*")):
            for included in INCLUDE.findall(source.read_text(encoding="utf-8")):
                if included in ALLOWED and included != folder and included not in allowed:
                    failures.append(f"{source.relative_to(root)} includes {included}/")
    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(failures)} include(s) against the layers")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
