#!/usr/bin/env python3
"""Cuts a face down to the characters the page can draw with it, and gives
the cut-down face a name of its own.

    font_subset.py FONT OUT --family NAME [--catalogue FILE.mo]...
                   [--template FILE.pot] [--origin TEXT]

The characters kept are printable Latin-1 and every character of the
translations in the catalogues (the languages drawn with this face), and of
the English texts of the template (for the face English is drawn with). A
changed font must not keep its original's name (the IPA Font License says
so, Article 3): every name of the family in the font's name table becomes
NAME, in every language the table has; the copyright, trademark and licence
records stay as they are, and --origin goes into the description.
"""
import argparse
import gettext
import re

from fontTools import subset
from fontTools.ttLib import TTFont

LATIN = "".join(chr(c) for c in range(0x20, 0x7F)) + "".join(chr(c) for c in range(0xA0, 0x100))

# The records that name the family or the face; every other (copyright,
# trademark, licence, designer) is kept.
FAMILY, UNIQUE_ID, FULL_NAME, POSTSCRIPT = 1, 3, 4, 6
TYPOGRAPHIC_FAMILY, COMPATIBLE_FULL, WWS_FAMILY = 16, 18, 21
DESCRIPTION = 10


def catalogue_characters(path):
    with open(path, "rb") as mo:
        catalogue = gettext.GNUTranslations(mo)._catalog
    return "".join(text for key, text in catalogue.items() if key != "")


def template_characters(path):
    with open(path, encoding="utf-8") as pot:
        return "".join(re.findall(r'"((?:[^"\\]|\\.)*)"', pot.read()))


def rename(font, family, origin):
    version = font["name"].getDebugName(5) or ""
    names = {
        FAMILY: family,
        UNIQUE_ID: f"{family} {version}".strip(),
        FULL_NAME: family,
        POSTSCRIPT: family.replace(" ", "") + "-Regular",
        TYPOGRAPHIC_FAMILY: family,
        COMPATIBLE_FULL: family,
        WWS_FAMILY: family,
    }
    table = font["name"]
    for record in table.names:
        if record.nameID in names:
            record.string = names[record.nameID]
    if origin:
        table.setName(origin, DESCRIPTION, 3, 1, 0x409)
        table.setName(origin, DESCRIPTION, 1, 0, 0)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("font")
    parser.add_argument("out")
    parser.add_argument("--family", required=True)
    parser.add_argument("--catalogue", action="append", default=[])
    parser.add_argument("--template")
    parser.add_argument("--origin", default="")
    args = parser.parse_args()

    text = LATIN + "".join(catalogue_characters(path) for path in args.catalogue)
    if args.template:
        text += template_characters(args.template)
    options = subset.Options()
    options.layout_features = ["*"]
    options.notdef_outline = True
    # Every record of the name table: the licence travels with the font.
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    font = TTFont(args.font)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text="".join(sorted(set(text))))
    subsetter.subset(font)
    rename(font, args.family, args.origin)
    font.save(args.out)


if __name__ == "__main__":
    main()
