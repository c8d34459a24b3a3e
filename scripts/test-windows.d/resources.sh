# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the resources phase, the icon, version
# information and manifest in the .exe files.

# The resources Explorer and Windows read, from the PE files themselves:
# the icon (group 101), the version information in Russian, the manifest.
check_pe_resources() {  # EXE DESCRIPTION
  local exe=$bundle/$1 description=$2 name=${1%.exe} resources strings manifest problems=""
  resources=$(python3 tests/windows/pe_resources.py list "$exe" | paste -sd' ')
  strings=$(python3 tests/windows/pe_resources.py version "$exe" 2>&1) || problems+=" no version information;"
  manifest=$(python3 tests/windows/pe_resources.py manifest "$exe" 2>&1) || problems+=" no manifest;"
  # RT_ICON 3, RT_GROUP_ICON 14 (id 101), RT_VERSION 16, RT_MANIFEST 24
  local resource
  for resource in "3 1" "14 101" "16 1" "24 1"; do
    [[ " $resources " == *" $resource "* ]] || problems+=" no resource '$resource';"
  done
  local expected
  for expected in "FixedFileVersion=$version.0" "StringTable=041904B0" \
                  "ProductName=Загрузчик для ВЕЛТ" "FileDescription=$description" \
                  "FileVersion=$version" "ProductVersion=$version" "InternalName=$name" \
                  "OriginalFilename=$1" "Translation=0419 04b0"; do
    grep -qxF "$expected" <<<"$strings" || problems+=" not '$expected';"
  done
  grep -q '^LegalCopyright=© ' <<<"$strings" || problems+=" no copyright;"
  python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parseString(sys.stdin.read())' \
    <<<"$manifest" 2>/dev/null || problems+=" the manifest is not well-formed XML;"
  for expected in 'level="asInvoker"' 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
                  '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' '{e2011457-1546-43c5-a5fe-008deee3d3f0}'; do
    grep -qF "$expected" <<<"$manifest" || problems+=" the manifest lacks $expected;"
  done
  # FLTK 1.3 does not scale its drawing: Windows must scale the window.
  if grep -qi 'dpiAware' <<<"$manifest"; then problems+=" the manifest sets a DPI awareness;"; fi
  if [ -z "$problems" ]; then
    pass "$1: icon 101, version $version \"$description\", manifest asInvoker"
  else
    fail "$1:$problems"
  fi
}

phase_resources() {
  echo "== test-windows: the programs' resources"
  check_pe_resources velt-loader.exe "Загрузчик для ВЕЛТ: прошивки и коэффициенты"
  check_pe_resources velt-flash.exe "Прошивка ВЕЛТ из командной строки"
}
