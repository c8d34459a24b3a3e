# shellcheck shell=bash
# Sourced by the scripts: the Windows installer, packaging/velt-loader.wxs
# built with wixl (Debian's wixl and msitools) from a folder that holds the
# release zip's files.
#   velt_msi_build FOLDER VERSION MSI   MSI installs FOLDER's files as VERSION

# What Windows shows of the installed program, in place of the .wxs's English
# texts. The database keeps its text in one 8-bit code page: 1251 holds the
# Cyrillic letters.
velt_msi_product_name="Загрузчик для ВЕЛТ"
velt_msi_publisher="Разработчики velt-loader"
velt_msi_shortcut_name="Загрузчик для ВЕЛТ"
velt_msi_short_shortcut_name=VELTLDR  # its 8.3 form, for file systems without long names
velt_msi_downgrade_message="Уже установлена более новая версия программы «Загрузчик для ВЕЛТ». Чтобы установить эту, сначала удалите новую в списке установленных программ."
velt_msi_codepage=1251
velt_msi_icon=resources/velt-loader.ico
velt_msi_source=packaging/velt-loader.wxs

velt_msi_build() {
  local files=$1 version=$2 msi folder
  msi=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")  # wixl runs elsewhere
  folder=$(mktemp -d /tmp/velt-msi.XXXXXX)
  cp "$files"/* "$velt_msi_icon" "$folder/"
  local source
  source=$(cd "$(dirname "$velt_msi_source")" && pwd)/$(basename "$velt_msi_source")
  rm -f "$msi"
  # wixl reads each File's Source from the folder it runs in.
  if ! (cd "$folder" && wixl --arch x64 --output "$msi" \
          --define Version="$version" "$source"); then
    rm -rf "$folder"
    return 1
  fi
  # wixl writes the tables in no code page and would drop every letter
  # outside ASCII: the code page first, then the Russian texts.
  printf '\r\n\r\n%s\t_ForceCodepage\r\n' "$velt_msi_codepage" >"$folder/_ForceCodepage.idt"
  local status=0
  (cd "$folder" && msibuild "$msi" -i _ForceCodepage.idt) || status=$?
  [ "$status" -ne 0 ] || msibuild "$msi" \
    -q "UPDATE \`Property\` SET \`Value\` = '$velt_msi_product_name' WHERE \`Property\` = 'ProductName'" \
    -q "UPDATE \`Property\` SET \`Value\` = '$velt_msi_publisher' WHERE \`Property\` = 'Manufacturer'" \
    -q "UPDATE \`Shortcut\` SET \`Name\` = '$velt_msi_short_shortcut_name|$velt_msi_shortcut_name' WHERE \`Shortcut\` = 'StartMenuShortcut'" \
    -q "UPDATE \`LaunchCondition\` SET \`Description\` = '$velt_msi_downgrade_message' WHERE \`Condition\` = 'NOT WIX_DOWNGRADE_DETECTED'" ||
    status=$?
  rm -rf "$folder"
  return "$status"
}
