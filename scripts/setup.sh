#!/usr/bin/env bash
# Installs what OrvadW needs to build, test and run on Debian 12, and the
# locales that the date and number tests switch to, and the tools that check
# the Debian package (desktop-file-utils, appstream, dpkg-dev). Safe to run again.
set -euo pipefail

packages=(qt6-base-dev qt6-base-dev-tools libgtest-dev libgmock-dev cmake ninja-build g++
          xvfb xauth x11-apps imagemagick poppler-utils fonts-dejavu-core fonts-liberation2
          libmodbus-dev locales ccache qt6-translations-l10n libxlsxwriter-dev unzip time
          desktop-file-utils appstream dpkg-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "${missing[@]}"
fi

# Locales for the regional-format tests: day-month-year, month-day-year with a
# 12-hour clock, year-month-day, and the decimal comma.
wanted_locales=(fr_FR.UTF-8 en_US.UTF-8 de_DE.UTF-8 sv_SE.UTF-8 pt_BR.UTF-8 en_GB.UTF-8)
need_gen=0
for l in "${wanted_locales[@]}"; do
  norm=$(echo "$l" | sed 's/UTF-8/utf8/')
  if ! locale -a 2>/dev/null | grep -qx "$norm"; then
    need_gen=1
    if ! grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
  fi
done
if [ "$need_gen" -eq 1 ]; then
  $SUDO locale-gen >/dev/null
fi
