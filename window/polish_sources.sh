# Polish translations of samples/langEnglish.txt as a new translator saves
# them, each with a mistake the application would show wrong, for the tests
# that drive the windows. Source this file, then
#
#   polish_source VARIANT FILE
#
# writes FILE: utf8 (UTF-8 without a Charset line), utf8_charset1 (UTF-8
# under Charset 1), no_placeholder (Windows-1250 under Charset 238, line
# number 2 without its %1), charset0 (Windows-1250 under the Charset 0 left
# from the English file), unmappable (UTF-8 under Charset 0), clean
# (Windows-1250 under Charset 238). Lines end in CR LF.

_polish_texts() {
  local save=${1:-'&Zapisz tekst jako %1'}
  printf '%s\r\n' \
    '0 | &Plik' \
    '1 | &Otwórz tekst... // menu' \
    "2 | $save" \
    '3 | &Zakończ' \
    '4 | Odtwórz' \
    '5 | Pauza' \
    '6 | Teraz gra: %1, wykonawca %2' \
    '7 | Pokazano %1 z %2 wierszy' \
    '8 | Nie znaleziono tekstu dla %1.' \
    '9 | Teksty są pobierane z http://www.parlavox.example/lyrics' \
    '10 | Nie można zapisać %1: %2' \
    '11 | Język'
}

polish_source() {
  local variant=$1 file=$2
  case $variant in
    utf8) _polish_texts >"$file" ;;
    utf8_charset1) { printf 'Charset | 1\r\n'; _polish_texts; } >"$file" ;;
    no_placeholder)
      { printf 'Charset | 238\r\n'; _polish_texts '&Zapisz tekst jako…'; } |
        iconv -f UTF-8 -t CP1250 >"$file" ;;
    charset0)
      { printf 'Charset | 0\r\n'; _polish_texts; } | iconv -f UTF-8 -t CP1250 >"$file" ;;
    unmappable) { printf 'Charset | 0\r\n'; _polish_texts; } >"$file" ;;
    clean)
      { printf 'Charset | 238\r\n'; _polish_texts; } | iconv -f UTF-8 -t CP1250 >"$file" ;;
    *) echo "polish_source: no variant $variant" >&2; return 2 ;;
  esac
}
