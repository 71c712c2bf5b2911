#!/usr/bin/env bash
# Cross-builds the command line for Windows with Debian's MinGW-w64 into build-windows/ (or BUILD_DIR):
# clinova-import.exe, one program file, and the zip clinova-import-<version>-windows-x64.zip holding it with the
# README, the CHANGELOG and the sample practice. The Firebird client is the practice's own fbclient.dll, found at
# run time. Prints the zip's path on its last line.
#   scripts/build-windows.sh           the program and the zip
#   scripts/build-windows.sh --tests   also the unit tests that need no database (test_*.exe)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-windows}
tests=OFF
[ "${1:-}" = "--tests" ] && tests=ON
"$root/scripts/install-deps.sh" --windows
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DCLINOVA_BUILD_TESTS=$tests >/dev/null
targets=(--target clinova-import)
[ $tests = ON ] && targets+=(--target test_normalized --target test_document --target test_app --target test_run)
cmake --build "$build" -j"${JOBS:-2}" "${targets[@]}"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=clinova-import-$version-windows-x64
stage=$build/zip/$name
rm -rf "$build/zip"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/clinova-import.exe" "$build/src/cli/clinova-import.exe"
# Text files with Windows line ends, for Notepad; the sample practice exactly as it is.
for doc in README.md CHANGELOG.md; do sed 's/\r*$/\r/' "$root/$doc" >"$stage/$doc"; done
cp -r "$root/examples" "$stage/examples"
zip=$build/$name.zip
rm -f "$zip"
(cd "$build/zip" && zip -qr -X "$zip" "$name")
echo "$zip"
