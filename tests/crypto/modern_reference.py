#!/usr/bin/python3
"""An independent reader and writer of NOTE entries: Argon2id from the
reference Argon2 library (argon2-cffi) and XChaCha20-Poly1305 made of an
HChaCha20 written here and the ChaCha20-Poly1305 of python3-cryptography.

  modern_reference.py open ENTRY PASSWORD    prints the save time, then the text
  modern_reference.py seal ENTRY PASSWORD TEXT-FILE PASSES MEMORY-KIB SAVE-TIME
A wrong password exits with 3.
"""
import os
import struct
import sys

from argon2.low_level import Type, hash_secret_raw
from cryptography.exceptions import InvalidTag
from cryptography.hazmat.primitives.ciphers.aead import ChaCha20Poly1305

HEADER = struct.Struct("<6sBBBBHIII16s24s")


def rotl(v, n):
    return ((v << n) & 0xFFFFFFFF) | (v >> (32 - n))


def hchacha20(key, nonce16):
    s = list(struct.unpack("<4I", b"expand 32-byte k")) + list(struct.unpack("<8I", key)) + list(
        struct.unpack("<4I", nonce16))
    for _ in range(10):
        for a, b, c, d in ((0, 4, 8, 12), (1, 5, 9, 13), (2, 6, 10, 14), (3, 7, 11, 15),
                           (0, 5, 10, 15), (1, 6, 11, 12), (2, 7, 8, 13), (3, 4, 9, 14)):
            s[a] = (s[a] + s[b]) & 0xFFFFFFFF; s[d] = rotl(s[d] ^ s[a], 16)
            s[c] = (s[c] + s[d]) & 0xFFFFFFFF; s[b] = rotl(s[b] ^ s[c], 12)
            s[a] = (s[a] + s[b]) & 0xFFFFFFFF; s[d] = rotl(s[d] ^ s[a], 8)
            s[c] = (s[c] + s[d]) & 0xFFFFFFFF; s[b] = rotl(s[b] ^ s[c], 7)
    return struct.pack("<8I", *(s[0:4] + s[12:16]))


def xchacha(key, nonce):
    return ChaCha20Poly1305(hchacha20(key, nonce[:16])), b"\0" * 4 + nonce[16:]


def derive(password, salt, passes, memory):
    return hash_secret_raw(password, salt, time_cost=passes, memory_cost=memory, parallelism=1,
                           hash_len=32, type=Type.ID, version=19)


def open_entry(path, password):
    entry = open(path, "rb").read()
    magic, version, flags, kdf, enc, reserved, t, m, p, salt, nonce = HEADER.unpack(entry[:64])
    assert (magic, version, flags, kdf, enc, reserved, p) == (b"SCNOTE", 1, 0, 1, 1, 0, 1)
    aead, short_nonce = xchacha(derive(password, salt, t, m), nonce)
    try:
        plain = aead.decrypt(short_nonce, entry[64:], entry[:64])
    except InvalidTag:
        sys.exit(3)
    sys.stdout.buffer.write(b"%d\n" % struct.unpack("<Q", plain[:8]) + plain[8:])


def seal_entry(path, password, text_path, passes, memory, save_time):
    salt, nonce = os.urandom(16), os.urandom(24)
    header = HEADER.pack(b"SCNOTE", 1, 0, 1, 1, 0, passes, memory, 1, salt, nonce)
    aead, short_nonce = xchacha(derive(password, salt, passes, memory), nonce)
    plain = struct.pack("<Q", save_time) + open(text_path, "rb").read()
    open(path, "wb").write(header + aead.encrypt(short_nonce, plain, header))


if __name__ == "__main__":
    command, path, password = sys.argv[1], sys.argv[2], os.fsencode(sys.argv[3])
    if command == "open":
        open_entry(path, password)
    else:
        seal_entry(path, password, sys.argv[4], int(sys.argv[5]), int(sys.argv[6]), int(sys.argv[7]))
