#!/usr/bin/env bash
# Collects every text the player sees from the sources into po/quarvex.pot
# (Debian's xgettext), then merges the template into each po/<code>.po
# (msgmerge), so that new texts show there untranslated and changed ones as
# fuzzy, for the translator. docs/translating.md says more.
#
#   scripts/update-po.sh              update the template and every catalogue
#   scripts/update-po.sh --template F write the template to F only (the tests
#                                     compare it with po/quarvex.pot)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
template="po/quarvex.pot"
merge=1
if [[ "${1:-}" == "--template" && -n "${2:-}" ]]; then
  template="$2"
  merge=0
elif [[ $# -gt 0 ]]; then
  echo "usage: scripts/update-po.sh [--template FILE]" >&2
  exit 2
fi
version="$(sed -n 's/^project(quarvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"

# What marks a text: tr("English"), tr("context", "English"), trf("English
# {name}", ...), N_("English") in tables, and the simulation's message boxes.
# No other keyword (not even gettext's own) is looked for.
mapfile -t sources < <(find src -name '*.cpp' -o -name '*.h' | LC_ALL=C sort)
xgettext --language=C++ --from-code=UTF-8 --keyword \
  --keyword=tr:1,1t --keyword=tr:1c,2,2t --keyword=trf:1 --keyword=N_:1 --keyword=show_message:1 --keyword=show_side_message:2 \
  --flag=trf:1:python-brace-format \
  --add-comments=TRANSLATORS: --add-location=file --no-wrap \
  --package-name=quarvex --package-version="$version" \
  --msgid-bugs-address="https://github.com/quarvex/quarvex/issues" \
  --copyright-holder="quarvex developers" \
  --output="$template" "${sources[@]}"
sed -i "1s/.*/# The texts of quarvex that players see, in English: the template of every catalogue./" "$template"

if ((merge)); then
  for po in po/*.po; do
    msgmerge --quiet --update --backup=none --no-wrap "$po" "$template"
  done
fi
