#!/usr/bin/env bash
# Installs the Debian packages the build, the demo host and the tests need, and any further ones
# named as arguments (make fuzz names clang's). Idempotent: does nothing when everything is
# already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
    postgresql postgresql-client
    fonts-wqy-microhei fonts-arphic-uming qt6-translations-l10n
    libqt6printsupport6 libxlsxwriter-dev libzip-dev poppler-utils unzip
    libbenchmark-dev dpkg-dev
    libsqlite3-dev libpq-dev
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
