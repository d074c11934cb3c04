#!/usr/bin/env bash
# Runs a command on the current X display under a window manager (openbox), as the program runs on
# an installer's desktop: the manager decorates, places and maximises the windows, which changes
# how the toolkit sizes them. Waits until the manager has taken the display, runs the command,
# stops the manager and ends with the command's exit code.
# Usage: with_window_manager.sh <command> [arguments...]
set -euo pipefail
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: run under xvfb-run" >&2; exit 2; }
command -v openbox >/dev/null || { echo "openbox is not installed (tools/setup-debian.sh installs it)" >&2; exit 2; }
work=$(mktemp -d)
ready=$work/ready
# An empty configuration: the defaults, whatever the user's own openbox settings say.
printf '<openbox_config xmlns="http://openbox.org/3.4/rc"/>\n' >"$work/rc.xml"
openbox --sm-disable --config-file "$work/rc.xml" --startup "touch $ready" >"$work/openbox.log" 2>&1 &
manager=$!
trap 'kill "$manager" 2>/dev/null || true; wait "$manager" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  [ -e "$ready" ] && break
  kill -0 "$manager" 2>/dev/null || break
  sleep 0.1
done
if [ ! -e "$ready" ]; then
  echo "the window manager did not start:" >&2
  cat "$work/openbox.log" >&2
  exit 2
fi
# Tells the test program that a manager runs, so it can check that it really sees one.
export ORVANE_WINDOW_MANAGER=openbox
status=0
"$@" || status=$?
exit "$status"
