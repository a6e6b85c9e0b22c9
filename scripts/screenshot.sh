#!/usr/bin/env bash
# Renders the window over the demo data offscreen, on a screen of 1100 x 780, into
# docs/window.png (the picture in README.md). Run it again whenever the window's look changes.
#   screenshot.sh [BUILD]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
make --no-print-directory build BUILD="$build" >/dev/null
config=$(mktemp --suffix=.json)
trap 'rm -f "$config"' EXIT
cat >"$config" <<'JSON'
{ "screens": [ { "name": "screen", "x": 0, "y": 0, "width": 1100, "height": 780,
                 "logicalDpi": 96, "logicalBpp": 32, "dpr": 1 } ] }
JSON
QT_QPA_PLATFORM="offscreen:configfile=$config" "$build/app/screenshot/kvscreenshot" docs/window.png
echo "docs/window.png"
