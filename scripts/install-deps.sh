#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Safe to run again; uses sudo when not run as root.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-server firebird3.0-utils
    qt6-base-dev libqt6svg6
    libgtest-dev libcli11-dev libfmt-dev libxxhash-dev
    clang libclang-rt-dev
    xvfb xauth xdotool fonts-dejavu-core strace
    qt6-translations-l10n
)

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
