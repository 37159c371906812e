#!/usr/bin/env python3
"""Lets a bundled library load on systems that lack some of the symbol versions it asks for.

Usage: lower_version_needs.py PATCHELF LIBRARY --versions V... --symbols S...

Where a symbol of LIBRARY is bound to one of VERSIONS, and the symbol is one of SYMBOLS (whose
older version those systems do have), its version is cleared with patchelf, so that the loader
binds it to the version the system has. patchelf leaves the library's need of the version itself
in .gnu.version_r, which the loader still refuses to start without (NixOS/patchelf#284), so that
need is then dropped here; where it is the only need of its library, which cannot be unlinked so,
it is marked weak instead: the loader then goes on without it. A symbol bound to one of VERSIONS that is not among SYMBOLS is an error:
the library then cannot load on those systems at all.
"""
import argparse
import struct
import subprocess
import sys

SHT_GNU_VERNEED = 0x6FFFFFFE
SHT_GNU_VERSYM = 0x6FFFFFFF
SHT_DYNSYM = 11
VER_FLG_WEAK = 0x2


class Elf:
    def __init__(self, path):
        with open(path, "rb") as file:
            self.data = bytearray(file.read())
        if self.data[:4] != b"\x7fELF" or self.data[4] != 2 or self.data[5] != 1:
            raise SystemExit(f"{path}: not a 64-bit little-endian ELF file")
        shoff, = struct.unpack_from("<Q", self.data, 0x28)
        shentsize, shnum = struct.unpack_from("<HH", self.data, 0x3A)
        self.sections = [struct.unpack_from("<IIQQQQIIQQ", self.data, shoff + i * shentsize)
                         for i in range(shnum)]

    def section(self, kind):
        return next((s for s in self.sections if s[1] == kind), None)

    def string(self, table, offset):
        start = self.sections[table][4] + offset
        return self.data[start:self.data.index(b"\0", start)].decode()

    def version_needs(self):
        """Each need as (its offset, the previous entry's offset or None, the Verneed's offset,
        version name, version index)."""
        verneed = self.section(SHT_GNU_VERNEED)
        if verneed is None:
            return []
        needs = []
        entry = verneed[4]
        for _ in range(verneed[7]):
            _, count, _, aux, following = struct.unpack_from("<HHIII", self.data, entry)
            previous, at = None, entry + aux
            for _ in range(count):
                _, _, index, name, step = struct.unpack_from("<IHHII", self.data, at)
                needs.append((at, previous, entry, self.string(verneed[6], name), index))
                previous, at = at, at + step
            entry += following
        return needs

    def symbols_by_version_index(self):
        dynsym, versym = self.section(SHT_DYNSYM), self.section(SHT_GNU_VERSYM)
        symbols = {}
        if dynsym is None or versym is None:
            return symbols
        for i in range(dynsym[5] // 24):
            name, = struct.unpack_from("<I", self.data, dynsym[4] + i * 24)
            index, = struct.unpack_from("<H", self.data, versym[4] + i * 2)
            symbols.setdefault(index & 0x7FFF, []).append(self.string(dynsym[6], name))
        return symbols

    def drop_need(self, at, previous, entry):
        """Unlinks the need at `at` from its Verneed's list of needs, or marks it weak."""
        step, = struct.unpack_from("<I", self.data, at + 12)
        version, count, file, aux, following = struct.unpack_from("<HHIII", self.data, entry)
        if count == 1:
            flags, = struct.unpack_from("<H", self.data, at + 4)
            struct.pack_into("<H", self.data, at + 4, flags | VER_FLG_WEAK)
            return
        if previous is None:
            aux += step
        else:
            before, = struct.unpack_from("<I", self.data, previous + 12)
            struct.pack_into("<I", self.data, previous + 12, before + step if step else 0)
        struct.pack_into("<HHIII", self.data, entry, version, count - 1, file, aux, following)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("patchelf")
    parser.add_argument("library")
    parser.add_argument("--versions", nargs="+", required=True)
    parser.add_argument("--symbols", nargs="+", required=True)
    arguments = parser.parse_args()

    elf = Elf(arguments.library)
    lacking = {index: name for _, _, _, name, index in elf.version_needs()
               if name in arguments.versions}
    if not lacking:
        return
    bound = elf.symbols_by_version_index()
    clear = set()
    for index, version in lacking.items():
        for symbol in bound.get(index, []):
            if symbol not in arguments.symbols:
                sys.exit(f"{arguments.library}: {symbol} needs {version}, which older systems lack")
            clear.add(symbol)
    if clear:
        command = [arguments.patchelf]
        for symbol in sorted(clear):
            command += ["--clear-symbol-version", symbol]
        subprocess.run(command + [arguments.library], check=True)

    elf = Elf(arguments.library)
    bound = elf.symbols_by_version_index()
    # Last first: unlinking a need leaves the offsets of the needs before it as they were.
    for at, previous, entry, name, index in reversed(elf.version_needs()):
        if name in arguments.versions:
            if bound.get(index):
                sys.exit(f"{arguments.library}: {bound[index][0]} still needs {name}")
            elf.drop_need(at, previous, entry)
    with open(arguments.library, "wb") as file:
        file.write(elf.data)


if __name__ == "__main__":
    main()
