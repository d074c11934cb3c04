#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Orvane need, when missing.
set -euo pipefail
PKGS=(g++ cmake ninja-build pkg-config libwxgtk3.2-dev libgtest-dev xvfb xauth clang libclang-rt-14-dev locales)
missing=()
for p in "${PKGS[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "== installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# A Spanish locale, so the tests can check that numbers in files and on screen ignore a locale
# whose decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qix 'es_ES.utf8'; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO localedef -i es_ES -f UTF-8 es_ES.UTF-8
fi
