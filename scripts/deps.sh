#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing; with
# package names as arguments, those instead (for the scripts run by hand).
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-multimedia-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev ccache
    desktop-file-utils appstream man-db util-linux
    python3-icalendar python3-vobject
    libcurl4-openssl-dev libxml2-dev radicale xandikos
    qt6-translations-l10n locales
    libical-dev libicu-dev
    qtkeychain-qt6-dev
)
[ $# -gt 0 ] && packages=("$@")
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
# The Russian system locale, for trying the program (and its language tests) under it.
if [ $# -eq 0 ] && ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
    sed -i 's/^# *\(ru_RU\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    locale-gen >/dev/null
fi
