#!/usr/bin/env python3
"""Cuts a font down to the characters the game can draw: printable Latin-1
and every other character its sources write (the Japanese texts).

    font_subset.py FONT OUT SOURCE...
"""
import sys

from fontTools import subset

LATIN = "".join(chr(c) for c in range(0x20, 0x7F)) + "".join(chr(c) for c in range(0xA0, 0x100))


def characters_of(paths):
    chars = set(LATIN)
    for path in paths:
        with open(path, encoding="utf-8") as source:
            chars.update(c for c in source.read() if ord(c) >= 0x80)
    return "".join(sorted(chars))


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    font, out, sources = argv[1], argv[2], argv[3:]
    subset.main([font, "--text=" + characters_of(sources), "--output-file=" + out,
                 "--layout-features=*", "--notdef-outline"])


if __name__ == "__main__":
    main(sys.argv)
