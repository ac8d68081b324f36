#!/usr/bin/env bash
# Builds the Debian package and checks it.
# Usage: scripts/package.sh [build-folder]   (default: build-package)
#        scripts/package.sh --from BUILT-TREE  (cpack of a tree already built,
#        for example the tests' build: no separate release build)
# Prints the .deb's path last. Checks: the listed paths, the desktop entry
# (desktop-file-validate), the metainfo (appstreamcli validate --no-net), and
# an install and removal with dpkg on a scratch root.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --from ]; then
  build=$(cd "${2:?--from needs a built tree}" && pwd)
  cmake --build "$build" --target tavrek tavrek-watch tavrek-capture -j"$(nproc)"
else
  build=${1:-$root/build-package}
  "$root/scripts/install-deps.sh"
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DTAVREK_BUILD_TESTS=OFF -DTAVREK_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
  cmake --build "$build" -j"$(nproc)"
fi
rm -f "$build"/tavrek_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/tavrek_*.deb | head -n 1)

fail() { echo "package check: $*" >&2; exit 1; }

listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/tavrek ./usr/bin/tavrek-watch ./usr/libexec/tavrek/tavrek-capture \
            ./usr/share/applications/com.quorvane.Tavrek.desktop \
            ./usr/share/mime/packages/tavrek.xml \
            ./usr/share/metainfo/com.quorvane.Tavrek.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/tavrek.svg \
            ./usr/share/icons/hicolor/16x16/apps/tavrek.png \
            ./usr/share/icons/hicolor/48x48/apps/tavrek.png \
            ./usr/share/icons/hicolor/256x256/apps/tavrek.png; do
  grep -qx -- "$path" <<<"$listing" || fail "$path is missing"
done
grep -v -e '^\./usr/' -e '^\./$' <<<"$listing" && fail "files outside /usr"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libqt6widgets6 <<<"$depends" || fail "Depends lacks Qt: $depends"
grep -q libcap2-bin <<<"$depends" || fail "Depends lacks setcap: $depends"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/files"
desktop-file-validate "$scratch/files/usr/share/applications/com.quorvane.Tavrek.desktop"
appstreamcli validate --no-net "$scratch/files/usr/share/metainfo/com.quorvane.Tavrek.metainfo.xml" >/dev/null

# Install and remove on an empty root: its dpkg database knows no Qt, so the
# dependencies are waived; nothing of the package may stay behind.
target=$scratch/root
mkdir -p "$target/var/lib/dpkg/info" "$target/var/lib/dpkg/updates"
touch "$target/var/lib/dpkg/status"
dpkg_root=(dpkg --root="$target" --force-depends --force-script-chrootless --log=/dev/null)
"${dpkg_root[@]}" -i "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg -i"; }
[ -x "$target/usr/bin/tavrek" ] || fail "dpkg --root did not install /usr/bin/tavrek"
"${dpkg_root[@]}" --purge tavrek >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg --purge"; }
[ ! -e "$target/usr/bin/tavrek" ] || fail "dpkg --purge left /usr/bin/tavrek"
[ -z "$(find "$target/usr" -type f 2>/dev/null)" ] || fail "files left after purge"

echo "package ok: $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version), $(wc -l <<<"$listing") entries"
echo "$deb"
