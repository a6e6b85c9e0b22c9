#!/usr/bin/env bash
# The Debian package as a user meets it: `apt-get install ./kvdigest_VERSION_ARCH.deb` (apt brings
# what it depends on), then `kvdigest --version`, the library where the dynamic linker finds it and
# kvdigest.pc where pkg-config does. The package is purged again afterwards unless it was installed
# before, so the machine stays as it was. Runs as root, or through sudo.
#   check-package.sh [BUILD]   after `make package`
set -euo pipefail
build=$(realpath "${1:-build}")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=$(ls "$build"/kvdigest_"$version"_*.deb 2>/dev/null | head -n 1) || true
[ -n "$deb" ] || { echo "check-package: no kvdigest_${version}_*.deb in $build (make package makes it)" >&2; exit 1; }
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

if ! dpkg-query -W -f='${Status}' kvdigest 2>/dev/null | grep -q "install ok installed"; then
    trap 'echo "$ apt-get purge kvdigest"; $sudo apt-get purge -y -q kvdigest >/dev/null' EXIT
fi
show() { echo "\$ $*"; "$@"; }

cd "$(dirname "$deb")"
DEBIAN_FRONTEND=noninteractive show $sudo apt-get install -y -q --no-install-recommends "./$(basename "$deb")"
answer=$(show kvdigest --version)
echo "$answer"
[ "$(tail -n 1 <<<"$answer")" = "kvdigest $version" ] || { echo "check-package: kvdigest --version answered wrong" >&2; exit 1; }
show pkg-config --modversion kvdigest
/sbin/ldconfig -p | grep -q "libprjDigest.so.${version%.*} " || { echo "check-package: the dynamic linker does not find libprjDigest" >&2; exit 1; }
echo "check-package: $(basename "$deb") installs and runs"
