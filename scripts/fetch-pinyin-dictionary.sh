#!/usr/bin/env bash
# Fetches the pinyin dictionary that the quick search's polyphone initials are made from, into the
# folder given: pinyin-pro (MIT) for every reading of a single character, most common first, and
# @pinyin-pro/data (ISC) for the readings of 350,000 words with their frequencies. The versions are
# pinned and the packages checked against their published SHA-1 sums; npm keeps them in its cache,
# so a second build needs no network. Only the files the converter reads are unpacked.
set -euo pipefail
dest=$1
mkdir -p "$dest"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fetch() { # package version sha1 files...
    local package=$1 version=$2 sha1=$3
    shift 3
    local tarball
    tarball=$(cd "$work" && npm pack --silent "$package@$version" | tail -n 1)
    echo "$sha1  $work/$tarball" | sha1sum --check --quiet
    tar -xzf "$work/$tarball" -C "$work" "$@"
}

fetch pinyin-pro 3.29.4 1ceacdf4b453bbc9c6e92aed35cf1b54bb7f12b0 \
    package/LICENSE package/dist/esm/data/dict1.mjs package/dist/esm/common
mkdir -p "$dest/pinyin-pro"
cp -r "$work/package/." "$dest/pinyin-pro/"
rm -rf "$work/package"

fetch @pinyin-pro/data 1.3.1 0446c8e778d7630c90f10912297cc40e6f5d0093 \
    package/package.json package/json/complete.json
mkdir -p "$dest/pinyin-pro-data"
cp -r "$work/package/." "$dest/pinyin-pro-data/"

touch "$dest/fetched.stamp"
