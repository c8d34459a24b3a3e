# shellcheck shell=bash
# Sourced by the scripts that test on a fresh Debian 12: a minimal Debian 12
# root made with mmdebstrap (kept as a tarball between runs while what defines
# it is unchanged), unpacked anew for every run, with /proc, /sys, /dev and
# /dev/pts bound in. Needs root.
#   VELT_FRESH_CACHE  folder for the base tarball and the downloaded packages
#                     (default: /var/cache/velt-fresh-debian)

# shellcheck source=scripts/install-missing.sh
. "$(dirname "${BASH_SOURCE[0]}")/install-missing.sh"

fresh_suite=bookworm
fresh_variant=minbase
fresh_include=git,ca-certificates,sudo
fresh_cache=${VELT_FRESH_CACHE:-/var/cache/velt-fresh-debian}
fresh_base=""
fresh_root=""
fresh_mounts=()
fresh_logs=""

# The machine's own apt sources, so the root reaches the archive the way the
# machine does; the plain archive where there are none.
fresh_mirror() {
  local sources=/etc/apt/sources.list.d/debian.sources
  if [ -r "$sources" ]; then
    echo "$sources"
  else
    echo "deb http://deb.debian.org/debian $fresh_suite main"
  fi
}

# Sets fresh_base to the tarball of the base system, making it when missing.
fresh_base_tarball() {
  local mirror key definition
  mirror=$(fresh_mirror)
  definition="$fresh_suite $fresh_variant $fresh_include"
  if [ -f "$mirror" ]; then
    definition+=" $(grep -v '^#' "$mirror")"
  else
    definition+=" $mirror"
  fi
  key=$(printf '%s' "$definition" | sha256sum | cut -c1-16)
  fresh_base="$fresh_cache/base-$key.tar"
  [ -f "$fresh_base" ] && return 0

  velt_install_missing mmdebstrap
  mkdir -p "$fresh_cache"
  echo "fresh-root: making the base system ($fresh_suite, $fresh_variant, $fresh_include)"
  local partial="$fresh_base.partial"
  if ! mmdebstrap --mode=root --format=tar --variant="$fresh_variant" --include="$fresh_include" \
         "$fresh_suite" "$partial" "$mirror" >"$fresh_cache/mmdebstrap.log" 2>&1; then
    echo "fresh-root: mmdebstrap failed; the end of $fresh_cache/mmdebstrap.log:" >&2
    tail -n 20 "$fresh_cache/mmdebstrap.log" >&2
    rm -f "$partial"
    return 1
  fi
  # Only one base is kept: an older definition's tarball is of no more use.
  find "$fresh_cache" -maxdepth 1 -name 'base-*.tar' ! -name "base-$key.tar" -delete
  mv "$partial" "$fresh_base"
}

fresh_bind() {
  local target="$fresh_root${2%/}"
  mkdir -p "$target"
  mount --bind "$1" "$target"
  fresh_mounts+=("$target")
}

# Unpacks a new root from the base into a new folder (sets fresh_root) and
# binds in what ptys and an X server need. fresh_close undoes it. Runs in the
# calling shell, not as a step, since it sets what fresh_close undoes.
fresh_open() {
  local started=$SECONDS
  echo "== $(basename "$0"): fresh root"
  fresh_base_tarball
  fresh_logs=$(mktemp -d "/tmp/$(basename "$0").XXXXXX")
  fresh_root=$(mktemp -d /var/tmp/velt-fresh-root.XXXXXX)
  # The root a mount point of its own, as on a real system: unshare's
  # private propagation fails on a root that is not one.
  fresh_bind "$fresh_root" /
  tar -xf "$fresh_base" -C "$fresh_root"
  cp /etc/resolv.conf "$fresh_root/etc/resolv.conf"
  fresh_bind /proc /proc
  fresh_bind /sys /sys
  fresh_bind /dev /dev
  fresh_bind /dev/pts /dev/pts
  # Packages are still installed by apt in the root, only not downloaded again.
  mkdir -p "$fresh_cache/archives"
  fresh_bind "$fresh_cache/archives" /var/cache/apt/archives
  echo "$(basename "$0"): fresh root $fresh_root ready in $((SECONDS - started)) s"
}

fresh_close() {
  if [ -n "$fresh_logs" ] && [ -z "${fresh_keep_logs:-}" ]; then rm -rf "$fresh_logs"; fi
  local index
  for ((index = ${#fresh_mounts[@]} - 1; index >= 0; index--)); do
    umount -l "${fresh_mounts[index]}" 2>/dev/null || true
  done
  fresh_mounts=()
  [ -n "$fresh_root" ] && [ -d "$fresh_root" ] || return 0
  # Never delete through a mount that is still there.
  if grep -Eq " $fresh_root(/| )" /proc/self/mountinfo; then
    echo "fresh-root: $fresh_root still has mounts; left in place" >&2
    return 0
  fi
  rm -rf "$fresh_root"
  fresh_root=""
}

# Runs a command in the root with a login's clean environment, as root.
fresh_run() { (fresh_exec "$@"); }

# The same in place of the calling (sub)shell: started as `fresh_exec CMD &`,
# $! is the command's own process, so killing it stops the command itself.
fresh_exec() {
  exec chroot "$fresh_root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

# Runs one named step, in a subshell that stops at its first failing
# command, with its output in a log. On failure says which step failed and
# shows the end of its output; the logs are kept then.
fresh_step() {
  local name=$1 started=$SECONDS status
  local log="$fresh_logs/${name//[\/ ]/-}.log"
  shift
  echo "== $(basename "$0"): $name"
  set +e
  (set -e; "$@") >"$log" 2>&1
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    echo "$(basename "$0"): FAILED at $name (exit $status after $((SECONDS - started)) s);" \
      "the end of $log:" >&2
    tail -n 40 "$log" >&2
    fresh_keep_logs=1
    return 1
  fi
  echo "$(basename "$0"): $name passed in $((SECONDS - started)) s"
}
