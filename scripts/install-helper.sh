#!/usr/bin/env bash
# Installs the capture helper from a build tree, so that members of the group
# `tavrek` see changes with fanotify (and the process behind each) without
# running Tavrek as root. Run as root.
# Usage: scripts/install-helper.sh [BUILD_DIR]   (default: build)
#        scripts/install-helper.sh --remove      (takes helper and group away)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
folder=/usr/local/libexec/tavrek
installed=$folder/tavrek-capture
group=tavrek

[ "$(id -u)" -eq 0 ] || { echo "install-helper: run as root (sudo $0 $*)" >&2; exit 1; }

if [ "${1:-}" = --remove ]; then
  rm -f "$installed"
  rmdir "$folder" 2>/dev/null || true
  getent group "$group" >/dev/null && groupdel "$group"
  echo "capture helper removed; Tavrek uses inotify for ordinary users again"
  exit 0
fi

build=${1:-$root/build}
helper=$build/src/capture/tavrek-capture
[ -x "$helper" ] || { echo "install-helper: no $helper (cmake --build $build --target tavrek-capture)" >&2; exit 1; }
command -v setcap >/dev/null || "$root/scripts/install-deps.sh"
getent group "$group" >/dev/null || groupadd --system "$group"
install -d -m 0755 "$folder"
install -o root -g "$group" -m 0750 "$helper" "$installed"
setcap cap_sys_admin,cap_dac_read_search+ep "$installed"
echo "installed $installed ($(getcap "$installed" | cut -d' ' -f2-))"
echo "let a user use it: usermod -aG $group USER (then log in again)"
