# shellcheck shell=bash
# Sourced by the build scripts: the firmware set a build compiles in. The
# programs carry the placeholders of firmware/ unless VELT_FIRMWARE_DIR names
# a firm's own set (a folder with controller1.hex to controller3.hex and, if
# wanted, release.txt).

# velt_firmware_dir_resolve: a relative VELT_FIRMWARE_DIR is meant from where
# the script was started; call this before the script changes folder.
velt_firmware_dir_resolve() {
  if [ -n "${VELT_FIRMWARE_DIR:-}" ]; then
    VELT_FIRMWARE_DIR=$(realpath -m -- "$VELT_FIRMWARE_DIR")
    export VELT_FIRMWARE_DIR
  fi
}

# velt_firmware_dir ROOT: the set to compile in. Always given to cmake, so that
# a build folder made with a firm's set goes back to the placeholders when the
# variable is gone.
velt_firmware_dir() {
  echo "${VELT_FIRMWARE_DIR:-$1/firmware}"
}
