# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the zip phase, the release zip's files,
# the operator's guide and version.txt.

phase_zip() {
  echo "== test-windows: the release zip"
  local listing expected_files
  listing=$(find "$bundle" -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort | paste -sd' ')
  expected_files="FLTK-COPYING.txt LICENSE.txt MINGW-W64-COPYING.txt coefficients.koeff"
  expected_files+=" operator-guide-ru.txt velt-flash.exe velt-loader.exe version.txt"
  if [ "$listing" = "$expected_files" ]; then
    pass "zip holds $listing"
  else
    fail "zip holds '$listing', expected '$expected_files'"
  fi
  local guide=$bundle/operator-guide-ru.txt
  # Notepad: UTF-8 with a byte order mark, every line ended by CR LF.
  if [ "$(head -c3 "$guide" | od -An -tx1 | tr -d ' ')" = efbbbf ] &&
     [ "$(grep -c $'\r$' "$guide")" = "$(wc -l <"$guide")" ] &&
     iconv -f UTF-8 -t UTF-8 "$guide" >/dev/null && grep -q "Не отвечает\." "$guide"; then
    pass "operator's guide: UTF-8 with a byte order mark, CR LF"
  else
    fail "operator's guide is not UTF-8 with a byte order mark and CR LF throughout"
  fi
  # version.txt: the version the zip's name gives, for Notepad like the guide.
  local text=$bundle/version.txt
  if [ "$(head -c3 "$text" | od -An -tx1 | tr -d ' ')" = efbbbf ] &&
     [ "$(grep -c $'\r$' "$text")" = "$(wc -l <"$text")" ] &&
     grep -q "^.*Загрузчик для ВЕЛТ $version для Windows" "$text" &&
     grep -q "velt-flash.exe версии $version" "$text"; then
    pass "version.txt: version $version, UTF-8 with a byte order mark, CR LF"
  else
    fail "version.txt does not say version $version as Notepad reads it"
    cat "$text"
  fi
}
