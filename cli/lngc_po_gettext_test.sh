#!/usr/bin/env bash
# The PO files of parlavox-lngc as gettext's own tools take them: msgfmt
# --check passes every export and catches a dropped placeholder, and what
# msgmerge, msgcat and msgattrib make of an export imports as expected.
# RUNNER runs LNGC where it is another system's program (wine for the
# Windows build); gettext's tools are this system's.
# Usage: lngc_po_gettext_test.sh LNGC SAMPLES [RUNNER]
set -euo pipefail

samples=$(realpath "$2")
if [[ -n ${3:-} ]]; then
  lngc_command=("$3" "$(realpath "$1")")
else
  lngc_command=("$(realpath "$1")")
fi
lngc() { "${lngc_command[@]}" "$@"; }
for tool in msgfmt msgmerge msgcat msgattrib; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is missing: scripts/setup.sh installs gettext" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$samples/langEnglish.txt" "$samples/langDeutsch.txt" .
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Compiles $1 and prints the compiled file's name.
compiled_of() {
  lngc "$1"
  local name=${1#lang}
  echo "Lang${name%.*}.lng"
}

# Exports and templates pass msgfmt --check.
printf '%s\r\n' 'Charset | 238' '0 | Plik // mine' '1 | Otwórz...' \
  '2 | Zapisz jako %1' '3 | a\b "c"' '4 | Odtwórz' '5 | Pause' '6 | %2 i %1' \
  '7 | %1 z %2' '8 | Nie znaleziono %1.' \
  '9 | Szukaj: http://www.parlavox.example // address' '10 | Błąd %1: %2' \
  '11 | Zażółć' '12 | Poza wzorcem %1' >langPolski.txt
lngc --export-po --reference langEnglish.txt langDeutsch.txt langPolski.txt
lngc --export-pot langEnglish.txt
for po in langDeutsch.po langPolski.po langEnglish.pot; do
  msgfmt --check -o /dev/null "$po" 2>msgfmt.err || fail "msgfmt --check $po: $(cat msgfmt.err)"
done

# A dropped %1 is caught by msgfmt.
sed 's/^msgstr "Liedtext &speichern als %1"$/msgstr "Liedtext \&speichern"/' \
  langDeutsch.po >dropped.po
cmp -s dropped.po langDeutsch.po && fail "the placeholder test changed nothing"
if msgfmt --check -o /dev/null dropped.po 2>msgfmt.err; then
  fail "msgfmt --check passed a dropped %1"
fi
grep -q "for argument 1 doesn't exist in 'msgstr'" \
  msgfmt.err || fail "msgfmt said: $(cat msgfmt.err)"

# Re-wrapped to 20 columns and sorted by msgid, as a platform may give it
# back, it compiles and imports to the same compiled file.
expected=$(compiled_of langDeutsch.txt)
cp "$expected" expected.lng
for form in width=20 sort-output; do
  mkdir "$form" && msgcat "--$form" langDeutsch.po -o "$form/langDeutsch.po"
  (
    cd "$form"
    ! cmp -s langDeutsch.po ../langDeutsch.po
    lngc langDeutsch.po
    cmp LangDeutsch.lng ../expected.lng
    lngc --import-po langDeutsch.po
    rm LangDeutsch.lng
    lngc langDeutsch.txt
    cmp LangDeutsch.lng ../expected.lng
  ) || fail "msgcat $form"
done
grep -q '^"Liedtext "$' width=20/langDeutsch.po || fail "msgcat did not wrap"

# A newer reference changes line number 9 and adds 12: msgmerge marks 9
# fuzzy and adds 12 untranslated, so the import leaves both out; once the
# fuzzy mark is cleared, 9 comes back with its earlier translation.
mkdir new
sed 's#^9 | Lyrics are downloaded#9 | Lyrics are now downloaded#' langEnglish.txt \
  >new/langEnglish.txt
printf '12 | Added %%1\r\n' >>new/langEnglish.txt
grep -q 'are now downloaded' new/langEnglish.txt || fail "the newer reference is the old one"
lngc --export-pot new/langEnglish.txt
mkdir merged
msgmerge --quiet langDeutsch.po new/langEnglish.pot -o merged/langDeutsch.po
lngc --import-po merged/langDeutsch.po 2>import.err
[[ -z $(cat import.err) ]] || fail "the merge's import said: $(cat import.err)"
grep -q '^9 | ' merged/langDeutsch.txt && fail "the fuzzy entry was imported"
grep -q '^12 | ' merged/langDeutsch.txt && fail "the new entry was imported"
[[ $(grep -c '^[0-9]* | ' merged/langDeutsch.txt) == 11 ]] ||
  fail "the merge imported $(grep -c '^[0-9]* | ' merged/langDeutsch.txt) lines, not 11"
mkdir cleared
msgattrib --clear-fuzzy merged/langDeutsch.po -o cleared/langDeutsch.po
lngc --import-po cleared/langDeutsch.po
grep -q $'^9 | Liedtexte kommen von http://www.parlavox.example/lyrics // address\r$' \
  cleared/langDeutsch.txt || fail "cleared: $(grep '^9 ' cleared/langDeutsch.txt)"
lngc cleared/langDeutsch.txt
cmp cleared/LangDeutsch.lng expected.lng || fail "the cleared merge compiles to other bytes"

if ((failures > 0)); then
  echo "$failures failures" >&2
  exit 1
fi
echo "all PO files passed gettext's tools"
