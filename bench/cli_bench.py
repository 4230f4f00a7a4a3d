#!/usr/bin/python3
"""Times `scribecrypt-cli show` of a large note against `cat` of the same
program file, side by side: the rounds alternate, and the medians and their
ratio are reported.

    cli_bench.py <scribecrypt-cli> <program.exe> [MiB] [rounds]

The note is a mix of Chinese and ASCII lines of the given size in code page
936 (16 MiB by default), locked into a copy of the program first."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

LINE = "第 {} 行：机密笔记的一行文字, with some ASCII as well.\r\n"


def note_text(size):
    lines, total, number = [], 0, 0
    while total < size:
        line = LINE.format(number)
        lines.append(line)
        total += len(line.encode("gbk"))
        number += 1
    return "".join(lines).encode("gbk")[:size].decode("gbk", errors="ignore")


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    cli, program = sys.argv[1], sys.argv[2]
    mib = int(sys.argv[3]) if len(sys.argv) > 3 else 16
    rounds = int(sys.argv[4]) if len(sys.argv) > 4 else 9
    with tempfile.TemporaryDirectory() as folder:
        text = os.path.join(folder, "note.txt")
        passwords = os.path.join(folder, "passwords")
        locked = os.path.join(folder, "scribecrypt.exe")
        with open(text, "w", encoding="utf-8", newline="") as out:
            out.write(note_text(mib << 20))
        with open(passwords, "w") as out:
            out.write("bench\nbench\n")
        subprocess.run([cli, "lock", program, "--text", text, "-o", locked, "--password-file", passwords],
                       check=True, stderr=subprocess.DEVNULL)
        show = [cli, "show", locked, "--password-file", passwords]
        cat = ["cat", locked]
        shown, read = [], []
        for _ in range(rounds):
            shown.append(timed(show))
            read.append(timed(cat))
        size = os.path.getsize(locked)
    show_s, cat_s = statistics.median(shown), statistics.median(read)
    print(f"program file {size / 2**20:.1f} MiB with a {mib} MiB note, {rounds} rounds, medians:")
    print(f"  scribecrypt-cli show  {show_s * 1000:8.1f} ms")
    print(f"  cat                   {cat_s * 1000:8.1f} ms")
    print(f"  show/cat = {show_s / cat_s:.1f}")


if __name__ == "__main__":
    main()
