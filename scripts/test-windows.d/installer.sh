# shellcheck shell=bash
# shellcheck disable=SC2154  # the variables scripts/test-windows sets
# Sourced by scripts/test-windows: the installer phase. The MSI that
# scripts/package-windows built installs silently into Program Files, both
# programs run from there, a build of the same files with a higher version
# upgrades it in place, the older one then refuses to go back, and removing
# the newer leaves nothing behind. Wine's msiexec gives only the low byte of
# Windows Installer's status (1603, a fatal error, is 67).

# What operators and IT departments are promised, stated here on its own
# rather than read from scripts/lib/msi.sh, so that a change there shows.
installer_folder_name=velt-loader
installer_product_name="Загрузчик для ВЕЛТ"
installer_shortcut_name="$installer_product_name.lnk"
installer_uninstall_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'
installer_own_key='HKLM\Software\velt-loader'  # the shortcut's key path

run_msiexec() {  # NAME /i|/x MSI: wine's msiexec, silent, logged in NAME.log; its status
  local name=$1 action=$2 msi=$3 status=0
  timeout "$velt_wine_timeout" wine msiexec "$action" "$(winepath -w "$msi")" /qn \
    /l*v "$(winepath -w "$work/$name.log")" >/dev/null 2>&1 || status=$?
  return "$status"
}

# The installed programs' entries with this product name, one line each:
# "VERSION|PUBLISHER", from the registry as wine exports it (UTF-16).
installed_entries() {
  wine regedit /E "$(winepath -w "$work/uninstall.reg")" "$installer_uninstall_key" 2>/dev/null || true
  [ -f "$work/uninstall.reg" ] || return 0
  iconv -f UTF-16 -t UTF-8 "$work/uninstall.reg" | tr -d '\r' |
    awk -v name="\"DisplayName\"=\"$installer_product_name\"" '
      /^\[/ { if (found) print version "|" publisher; found = 0; version = publisher = "" }
      $0 == name { found = 1 }
      /^"DisplayVersion"=/ { version = substr($0, 18); gsub(/"/, "", version) }
      /^"Publisher"=/ { publisher = substr($0, 13); gsub(/"/, "", publisher) }
      END { if (found) print version "|" publisher }'
  rm -f "$work/uninstall.reg"
}

shortcuts() {  # the Start menu shortcuts of that name anywhere in the prefix
  find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/*' -name "$installer_shortcut_name" 2>/dev/null
}

entries_are() {  # WHAT EXPECTED: the entries, joined by spaces, are EXPECTED
  local entries
  entries=$(installed_entries | paste -sd' ')
  if [ "$entries" = "$2" ]; then
    pass "installer, $1: installed programs list \"$installer_product_name\" as '${entries:-nothing}'"
  else
    fail "installer, $1: installed programs list '${entries:-nothing}', expected '${2:-nothing}'"
  fi
}

# The installed folder holds exactly the zip's files and the icon, each the
# same bytes, and the shortcut leads to the window's program.
installed_as_packed() {  # WHAT
  local what=$1 problems="" file listing expected
  listing=$(find "$installed" -mindepth 1 -printf '%P\n' 2>/dev/null | LC_ALL=C sort | paste -sd' ')
  expected=$( { ls "$bundle"; basename "$velt_msi_icon"; } | LC_ALL=C sort | paste -sd' ')
  [ "$listing" = "$expected" ] || problems+=" holds '$listing', expected '$expected';"
  for file in "$bundle"/*; do
    cmp -s "$file" "$installed/$(basename "$file")" || problems+=" $(basename "$file") differs;"
  done
  cmp -s "$velt_msi_icon" "$installed/$(basename "$velt_msi_icon")" || problems+=" the icon differs;"
  local links count
  links=$(shortcuts)
  count=$(grep -c . <<<"$links" || true)
  if [ "$count" != 1 ]; then
    problems+=" $count shortcuts \"$installer_shortcut_name\";"
  elif ! grep -aqF "Program Files\\$installer_folder_name\\velt-loader.exe" "$links"; then
    problems+=" the shortcut does not lead to velt-loader.exe;"
  fi
  if [ -z "$problems" ]; then
    pass "installer, $what: Program Files\\$installer_folder_name holds $listing as packed, one shortcut to velt-loader.exe"
  else
    fail "installer, $what:$problems"
  fi
}

flash_runs_installed() {  # WHAT
  local status=0
  velt_wine_run "$work/installed-version.out" "$work/installed-version.err" \
    "$installed/velt-flash.exe" --version || status=$?
  if [ "$status" = 0 ] && grep -qx "velt-flash $version" "$work/installed-version.out"; then
    pass "installer, $1: Program Files\\$installer_folder_name\\velt-flash.exe --version says $version"
  else
    fail "installer, $1: velt-flash.exe --version from Program Files: exit $status"
    cat "$work/installed-version.out" "$work/installed-version.err"
  fi
}

# What the database itself says, for what wine does not show: the icon of
# the installed programs' entry, and the downgrade's message.
installer_table() {  # MSI TABLE: its rows, tab-separated, as Linux text
  msiinfo export "$1" "$2" | tr -d '\r'
}
installer_tables() {  # MSI
  local icon problems=""
  icon=$(installer_table "$1" Property | awk -F'\t' '$1 == "ARPPRODUCTICON" { print $2 }')
  if [ -z "$icon" ]; then
    problems+=" no ARPPRODUCTICON;"
  else
    msiinfo extract "$1" "Icon.$icon" >"$work/msi-icon.ico" 2>/dev/null || true
    cmp -s "$work/msi-icon.ico" "$velt_msi_icon" || problems+=" its icon $icon is not $velt_msi_icon;"
  fi
  installer_table "$1" LaunchCondition | grep -qxF "NOT WIX_DOWNGRADE_DETECTED	$velt_msi_downgrade_message" ||
    problems+=" no downgrade message;"
  if [ -z "$problems" ]; then
    pass "installer: the entry's icon is the program's, a downgrade says \"$velt_msi_downgrade_message\""
  else
    fail "installer:$problems"
  fi
}

phase_installer() {
  echo "== test-windows: the installer"
  local msi=$windows_dir/velt-loader-$version.msi next_version next_msi status
  installed="$WINEPREFIX/drive_c/Program Files/$installer_folder_name"
  [ -f "$msi" ] || { fail "installer: $msi is missing; run scripts/package-windows"; return 0; }
  next_version=${version%.*}.$((${version##*.} + 1))
  next_msi=$work/velt-loader-$next_version.msi
  velt_msi_build "$bundle" "$next_version" "$next_msi" || { fail "installer: version $next_version did not build"; return 0; }
  installer_tables "$msi"
  # A run that stopped half-way may have left one installed.
  run_msiexec leftover-new /x "$next_msi" || true
  run_msiexec leftover /x "$msi" || true
  entries_are "before" ""

  status=0
  run_msiexec install /i "$msi" || status=$?
  if [ "$status" = 0 ]; then pass "installer: msiexec /i /qn, exit 0"; else fail "installer: msiexec /i /qn, exit $status"; fi
  installed_as_packed "installed"
  entries_are "installed" "$version|$velt_msi_publisher"
  flash_runs_installed "installed"
  if loader_start installed-window "$installed/velt-loader.exe"; then
    pass "installer: velt-loader.exe from Program Files shows \"$main_title\""
    press_in_main ctrl+x
    loader_wait
    [ "$loader_rc" = 0 ] || fail "installer: velt-loader.exe from Program Files: exit $loader_rc after Ctrl+X"
  fi
  if [ -n "$loader_pid" ]; then loader_wait; fi

  status=0
  run_msiexec upgrade /i "$next_msi" || status=$?
  if [ "$status" = 0 ]; then pass "installer: $next_version over $version, exit 0"; else fail "installer: $next_version over $version, exit $status"; fi
  entries_are "upgraded" "$next_version|$velt_msi_publisher"
  installed_as_packed "upgraded"
  flash_runs_installed "upgraded"

  status=0
  run_msiexec downgrade /i "$msi" || status=$?
  if [ "$status" != 0 ]; then
    pass "installer: $version over $next_version refused, exit $status"
  else
    fail "installer: $version over $next_version was installed"
  fi
  entries_are "downgrade refused" "$next_version|$velt_msi_publisher"

  status=0
  run_msiexec remove /x "$next_msi" || status=$?
  local left
  left=$( { find "$installed" 2>/dev/null; shortcuts; } | paste -sd' ')
  if wine reg query "$installer_own_key" >/dev/null 2>&1; then left+=" $installer_own_key"; fi
  if [ "$status" = 0 ] && [ -z "$left" ]; then
    pass "installer: msiexec /x /qn, exit 0: no file, folder, shortcut or key left"
  else
    fail "installer: msiexec /x /qn, exit $status, left: ${left:-nothing}"
  fi
  entries_are "removed" ""
}
