#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Safe to run again; uses sudo when not run as root.
#   install-deps.sh             building, testing and packaging on Linux
#   install-deps.sh --programs  only what building the two programs needs (the demo)
#   install-deps.sh --package   that and lintian, to build and check the Debian package
#   install-deps.sh --windows   the cross-build of the command line for Windows and its run under Wine
set -euo pipefail

# What building and running the two programs needs.
programs=(
    build-essential cmake pkg-config
    firebird-dev libfbclient2 firebird3.0-server-core
    qt6-base-dev qt6-translations-l10n
    libcli11-dev libfmt-dev libxxhash-dev
)
case "${1:-}" in
--programs) packages=("${programs[@]}") ;;
--package) packages=("${programs[@]}" lintian) ;;
--windows)
    # The POSIX thread model: the engine uses std::thread and std::mutex. The Firebird headers come from
    # firebird-dev, GoogleTest's sources from googletest: both built here for Windows.
    packages=(g++-mingw-w64-x86-64-posix cmake firebird-dev libcli11-dev libfmt-dev libxxhash-dev googletest
        wine64 zip unzip)
    ;;
*)
    # The tests (a Firebird server, GoogleTest, a real X display, clang's fuzzer) and the package's check.
    packages=("${programs[@]}"
        firebird3.0-server firebird3.0-utils libqt6svg6
        libgtest-dev clang libclang-rt-dev
        xvfb xauth xdotool fonts-dejavu-core strace
        lintian)
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The server package would otherwise give SYSDBA a random password; tests set their own anyway.
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password masterkey" | $SUDO debconf-set-selections || true
echo "firebird3.0-server shared/firebird/enabled boolean false" | $SUDO debconf-set-selections || true
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
