#!/usr/bin/env bash
# Fails when the executable imports a DLL that a stock Windows does not have,
# such as a MinGW runtime that would have to be shipped beside it.
#   check_imports.sh <objdump> <exe>
set -euo pipefail
objdump=$1
exe=$2
system_dlls='^(kernel32|user32|gdi32|comdlg32|comctl32|shell32|advapi32|msvcrt|ole32|oleaut32|uxtheme|riched20|riched32|shlwapi|version)\.dll$'

mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: *//p' | tr 'A-Z' 'a-z')
if [ ${#dlls[@]} -eq 0 ]; then
  echo "no import table found in $exe" >&2
  exit 1
fi
status=0
for dll in "${dlls[@]}"; do
  if [[ $dll =~ $system_dlls ]]; then
    echo "ok: $dll"
  else
    echo "not a system DLL: $dll" >&2
    status=1
  fi
done
exit $status
