#!/usr/bin/env python3
"""Lists the DLL imports of Windows programs and fails on anything Windows XP SP3 does not have."""
import argparse
import fnmatch
import re
import subprocess
import sys

# System DLLs that Windows XP SP3 ships; a program of ours imports nothing else.
XP_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "version.dll",
    "wininet.dll", "ws2_32.dll", "winmm.dll",
}


def imports(objdump, path):
    text = subprocess.run([objdump, "-p", path], check=True, capture_output=True, text=True).stdout
    result, dll = {}, None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name:\s*(\S+)", line)
        if m:
            dll = m.group(1).lower()
            result[dll] = []
            continue
        m = re.match(r"\s+[0-9a-f]+\s+[0-9]+\s+(\S+)\s*$", line)
        if dll and m:
            result[dll].append(m.group(1))
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--deny", required=True)
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    with open(args.deny) as f:
        deny = [l.strip() for l in f if l.strip() and not l.startswith("#")]
    failures = 0
    for program in args.programs:
        found = imports(args.objdump, program)
        if not found:
            print(f"{program}: no imports found (objdump output not understood)")
            failures += 1
        for dll, functions in sorted(found.items()):
            print(f"{program}: {dll}: {len(functions)} functions")
            if dll not in XP_DLLS:
                print(f"  NOT an XP system DLL: {dll}")
                failures += 1
            for fn in functions:
                if any(fnmatch.fnmatchcase(fn, pattern) for pattern in deny):
                    print(f"  NOT on Windows XP: {dll}!{fn}")
                    failures += 1
    print(f"{failures} import problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
