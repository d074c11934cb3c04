#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Orvane need, when missing.
# Quiet: one line for what it installs; apt's own output goes to a log shown only on failure.
set -euo pipefail
PKGS=(g++ cmake ninja-build pkg-config libwxgtk3.2-dev libgtest-dev xvfb xauth openbox clang libclang-rt-14-dev locales wx3.2-i18n shellcheck python3 ccache)
# As root (a fresh container has no sudo) the commands run directly; otherwise through sudo.
SUDO=(); [ "$(id -u)" -eq 0 ] || SUDO=(sudo -E)
missing=()
for p in "${PKGS[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "== installing: ${missing[*]}"
  log=$(mktemp /tmp/orvane-setup.XXXXXX.log)
  export DEBIAN_FRONTEND=noninteractive DEBCONF_NOWARNINGS=yes
  if ! { "${SUDO[@]}" apt-get update -qq && \
         "${SUDO[@]}" apt-get install -y -qq -o Dpkg::Use-Pty=0 --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    echo "package installation failed; the last lines of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
  fi
  rm -f "$log"
  echo "== installed"
fi
# A Spanish locale, so the tests can check that numbers in files and on screen ignore a locale
# whose decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qix 'es_ES.utf8'; then
  "${SUDO[@]}" localedef -i es_ES -f UTF-8 es_ES.UTF-8 >/dev/null
fi
