#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# asking apt only for what is missing. With --pacote, only what building the
# program and its Debian package needs (no tests).
set -euo pipefail

# The build and the package (dpkg-buildflags and dpkg-shlibdeps come with
# build-essential's dpkg-dev).
packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev
    qt6-translations-l10n
    libsqlite3-dev mdbtools-dev
    libical-dev qtkeychain-qt6-dev
)
if [ "${1:-}" != "--pacote" ]; then
    packages+=(
        python3
        calcurse python3-icalendar
        radicale xandikos python3-caldav openssl
        fonts-dejavu-core
        dbus dunst xvfb  # the notification tests' real server on a private session bus
        gnome-keyring  # the password vault test's real secret service
        desktop-file-utils appstream file
        sqlite3
        lintian  # the package test
    )
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Instalando: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
