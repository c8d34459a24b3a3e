# shellcheck shell=bash
# Sourced by the scripts: velt_install_missing PACKAGE... installs, with
# apt-get and without recommends, those of the Debian packages that are not
# installed yet, through sudo unless already root. Does nothing when all are.
velt_install_missing() {
  local package missing=()
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  ((${#missing[@]})) || return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "$(basename "$0"): installing ${missing[*]}"
  $sudo apt-get update -qq
  # Waits for another apt run to finish instead of failing at once.
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 \
    --no-install-recommends "${missing[@]}" >/dev/null
}
