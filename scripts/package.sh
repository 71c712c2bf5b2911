#!/usr/bin/env bash
# Builds the Debian package of both programs, clinova-importation_<version>_amd64.deb, into the build folder
# (build/, or BUILD_DIR), and checks it with lintian. Only the two programs are built (the tests are not); a build
# folder that holds the tests keeps them, so that packaging never leaves a developer's tests stale. The version is
# CMake's project version. Prints the package's path on its last line.
#   scripts/package.sh            installs what is missing first
#   NO_LINTIAN=1 scripts/package.sh   without the check
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" --package
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" >/dev/null
else
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DCLINOVA_BUILD_TESTS=OFF \
        -DCLINOVA_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"${JOBS:-2}" --target clinova-import ClinovaImportation

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
name=clinova-importation
deb=$build/${name}_${version}_amd64.deb
stage=$build/package/$name
rm -rf "$build/package"
mkdir -p "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
[ -x "$stage/usr/bin/ClinovaImportation" ] || { echo "package: the window was not built" >&2; exit 1; }

doc=$stage/usr/share/doc/$name
for program in "$stage"/usr/bin/*; do
    strip --strip-unneeded --remove-section=.comment --remove-section=.note "$program"
done
gzip -9n "$stage"/usr/share/man/man1/*.1
install -m 0644 "$root/packaging/copyright" "$doc/copyright"
# A native package's changelog, in Debian's format, from the version and the date of the last commit.
date=$(git -C "$root" log -1 --format=%aD 2>/dev/null || date -R)
maintainer=${MAINTAINER:-"ClinovaImportation maintainers <maintainers@users.noreply.c-seed-9152fce2.example>"}
{
    echo "$name ($version) unstable; urgency=medium"
    echo
    echo "  * Version $version: see /usr/share/doc/$name/CHANGELOG.md."
    echo
    echo " -- $maintainer  $date"
} | gzip -9n >"$doc/changelog.gz"
find "$stage" -type d -exec chmod 0755 {} +
find "$stage" -type f -exec chmod 0644 {} +
chmod 0755 "$stage"/usr/bin/*

# The libraries the programs link, as Debian's packages name them; the embedded engine and Qt's French
# translations are loaded at run time, so they are named by hand in control.in.
work=$build/package/shlibs
mkdir -p "$work/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: amd64\n' "$name" "$name" >"$work/debian/control"
shlibs=$(cd "$work" && dpkg-shlibdeps -O "$stage"/usr/bin/* 2>/dev/null | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "package: dpkg-shlibdeps found no library" >&2; exit 1; }
size=$(du -sk --apparent-size "$stage/usr" | cut -f1)

mkdir -p "$stage/DEBIAN"
sed -e "s|@VERSION@|$version|" -e "s|@MAINTAINER@|$maintainer|" -e "s|@SIZE@|$size|" -e "s|@SHLIBS@|$shlibs|" \
    "$root/packaging/control.in" >"$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null

if [ "${NO_LINTIAN:-0}" != 1 ]; then
    # Errors fail the package; warnings are shown.
    lintian --fail-on error --tag-display-limit 0 "$deb"
fi
echo "$deb"
