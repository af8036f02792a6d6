#!/usr/bin/env bash
# The catalogues' checks, which the tests run (ctest -R catalogues):
#   1. po/quarvex.pot holds exactly the texts the sources mark: a text added,
#      changed or removed without scripts/update-po.sh fails here;
#   2. every language whose catalogue says "X-Quarvex-Complete: yes" has
#      every text of the sources translated, none fuzzy; what is missing or
#      fuzzy is printed;
#   3. the build's check refuses a translation that drops or renames a
#      placeholder (the check itself runs on every catalogue the build makes).
#
#   scripts/check-catalogues.sh PO_CHECK    (the built quarvex-po-check)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if [[ $# -ne 1 ]]; then
  echo "usage: scripts/check-catalogues.sh QUARVEX_PO_CHECK" >&2
  exit 2
fi
po_check="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
status=0

# The entries of a catalogue's text, without its header (the first paragraph).
entries() {
  awk 'started { print } /^$/ { started = 1 }'
}

scripts/update-po.sh --template "$work/sources.pot"
stale="$(msgcomm --unique --no-location --no-wrap "$work/sources.pot" po/quarvex.pot | entries)"
if [[ -n "$stale" ]]; then
  echo "po/quarvex.pot is not the sources' template; run scripts/update-po.sh. Texts in one but not the other:"
  echo "$stale"
  status=1
fi

for po in po/*.po; do
  code="$(basename "$po" .po)"
  if ! grep -q '^"X-Quarvex-Complete: yes\\n"$' "$po"; then
    echo "$po is not marked complete: not checked for missing texts"
    continue
  fi
  msgmerge --quiet --no-wrap --output-file="$work/$code.po" "$po" "$work/sources.pot"
  missing="$(msgattrib --untranslated --no-obsolete --no-wrap "$work/$code.po" | entries)"
  fuzzy="$(msgattrib --only-fuzzy --no-obsolete --no-wrap "$work/$code.po" | entries)"
  if [[ -n "$missing" ]]; then
    echo "$po is marked complete, but these texts have no translation:"
    echo "$missing"
    status=1
  fi
  if [[ -n "$fuzzy" ]]; then
    echo "$po is marked complete, but these translations are fuzzy (to be looked at again):"
    echo "$fuzzy"
    status=1
  fi
  if [[ -z "$missing$fuzzy" ]]; then echo "$po: complete"; fi
done

# A German translation that renames {level}: the build must refuse it.
sed 's/^msgstr "Lautstärke {level} %"$/msgstr "Lautstärke {stufe} %"/' po/de.po >"$work/renamed.po"
if cmp -s po/de.po "$work/renamed.po"; then
  echo "the placeholder check's sample text is no longer in po/de.po"
  status=1
else
  msgfmt --check --output-file="$work/renamed.mo" "$work/renamed.po"
  if "$po_check" de renamed.po "$work/renamed.mo" 2>"$work/refused.txt"; then
    echo "the build's check let a renamed placeholder through"
    status=1
  elif ! grep -q 'drops {level}, adds {stufe}' "$work/refused.txt"; then
    echo "the build's check refused the renamed placeholder without naming it:"
    cat "$work/refused.txt"
    status=1
  fi
fi
exit "$status"
