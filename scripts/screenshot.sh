#!/usr/bin/env bash
# Renders the window and the voucher screen over the demo data offscreen, on a screen of
# 1100 x 780, into docs/window.png and docs/voucher.png (the pictures in README.md). Run it again
# whenever their look changes.
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
for scene in window voucher; do
    QT_QPA_PLATFORM="offscreen:configfile=$config" "$build/app/screenshot/kvscreenshot" "$scene" \
        "docs/$scene.png"
    echo "docs/$scene.png"
done
