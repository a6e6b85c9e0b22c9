#!/usr/bin/env bash
# What a host developer meets: `cmake --install` into a fresh prefix holds the versioned shared
# prjDigest exporting only the public API, the public headers alone, the CMake package and
# kvdigest.pc; examples/host builds against it with find_package and with pkg-config, and runs.
#   host-example-test.sh BUILD SOURCE CXX VERSION
set -euo pipefail
export LC_ALL=C
build=$(realpath "${1:?build folder}") source=$(realpath "${2:?source folder}")
cxx=${3:?C++ compiler} version=${4:?version}
work="$build/host-example"
prefix="$work/prefix"
rm -rf "$work"
mkdir -p "$work"
must() { "$@" || { echo "FAIL: $*"; exit 1; }; }
step() { echo "== $*"; }

step "cmake --install $build --prefix $prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
libdir=$(dirname "$(find "$prefix" -name 'libprjDigest.so' | head -n 1)")
lib="$libdir/libprjDigest.so"
must [ -f "$lib" ]

step "the public headers, and nothing else"
headers=$(cd "$prefix/include/kvdigest" && ls | sort | tr '\n' ' ')
must [ "$headers" = "DataKitError.h Database.h DigestPicker.h DigestTransfer.h QXDigest.h Recordset.h datakit_export.h prjdigest_export.h " ]

step "SONAME and exported symbols"
readelf -d "$lib" | grep -q "SONAME.*libprjDigest\.so\.${version%.*}\]" || { echo "FAIL: SONAME"; exit 1; }
exported=$(nm -DC --defined-only "$lib")
for symbol in "QXDigest::Show(QWidget\*)" "DigestPicker::attach(QLineEdit\*)" "DataKit::Database::open(" \
              "ImportSummaries(" "typeinfo for DataKit::Error"; do
    grep -q "$symbol" <<<"$exported" || { echo "FAIL: $symbol is not exported"; exit 1; }
done
if grep -E "frmDigBrowse|GridControl|MdlDigest|DataKit::Recordset::|DataKit::Connection::|ReportPrinter" <<<"$exported"; then
    echo "FAIL: internal symbols exported"
    exit 1
fi

# A library built with the sanitizers wants their runtime in the host program too.
sanitize=""
if readelf -d "$lib" | grep -q "libasan"; then sanitize="-fsanitize=address,undefined"; fi

step "examples/host with find_package(KVDigest)"
cmake -S "$source/examples/host" -B "$work/cmake" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log"
cmake --build "$work/cmake" >"$work/build.log"
# digest-host first: the ledger it makes holds the tables the picker reads.
hosts="main.cpp:digest-host picker.cpp:digest-picker-host"
for host in $hosts; do
    must "$work/cmake/${host#*:}" "$work/ledger.db" --close-when-shown
done

step "examples/host with pkg-config kvdigest"
export PKG_CONFIG_PATH="$libdir/pkgconfig"
must [ "$(pkg-config --modversion kvdigest)" = "$version" ]
for host in $hosts; do
    # shellcheck disable=SC2046
    "$cxx" -std=c++17 $sanitize -o "$work/${host#*:}-pc" "$source/examples/host/${host%%:*}" \
        $(pkg-config --cflags --libs kvdigest)
    LD_LIBRARY_PATH="$libdir" must "$work/${host#*:}-pc" "$work/ledger.db" --close-when-shown
done
echo "PASS"
