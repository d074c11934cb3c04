#!/usr/bin/env bash
# Tests of tools/setup-debian.sh and tools/run.sh against fake system commands, and shellcheck
# over every script. Usage: tools_test.sh setup|run|shellcheck <source folder>
set -euo pipefail
case_name=$1
src=$(cd "$2" && pwd -P)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0

fail() { echo "FAIL: $*"; fails=1; }
expect_eq() {  # what, expected, got
  [ "$2" = "$3" ] || fail "$1"$'\n'"  expected: ${2//$'\n'/$'\n'            }"$'\n'"  got:      ${3//$'\n'/$'\n'            }"
}

# Fake system commands: each logs its command line into $CALLS; id, dpkg-query and locale
# answer from FAKE_UID, FAKE_MISSING (packages not installed) and FAKE_ES_LOCALE (1: present).
fakes=$work/fakes
mkdir -p "$fakes"
for cmd in apt-get sudo localedef cmake; do
  # shellcheck disable=SC2016 # $* and $CALLS belong to the fake
  printf '#!/bin/sh\necho "%s $*" >>"$CALLS"\nexit "${FAKE_RC:-0}"\n' "$cmd" >"$fakes/$cmd"
done
cat >"$fakes/id" <<'SH'
#!/bin/sh
[ "$1" = -u ] && echo "$FAKE_UID"
SH
cat >"$fakes/dpkg-query" <<'SH'
#!/bin/sh
for pkg; do :; done
case " $FAKE_MISSING " in
  *" $pkg "*) echo "unknown ok not-installed"; exit 1 ;;
esac
echo "install ok installed"
SH
cat >"$fakes/locale" <<'SH'
#!/bin/sh
printf 'C\nC.utf8\nPOSIX\n'
[ "$FAKE_ES_LOCALE" = 1 ] && echo es_ES.utf8
exit 0
SH
chmod +x "$fakes"/*
export CALLS=$work/calls PATH="$fakes:$PATH"

install="install -y -qq -o Dpkg::Use-Pty=0 --no-install-recommends"

setup_case() {  # uid, missing packages, es locale present, expected exit code, expected calls
  local out rc=0
  : >"$CALLS"
  out=$(FAKE_UID=$1 FAKE_MISSING=$2 FAKE_ES_LOCALE=$3 FAKE_RC=${FAKE_RC:-0} "$src/tools/setup-debian.sh" 2>&1) || rc=$?
  expect_eq "uid $1, missing '$2': exit code" "$4" "$rc"
  expect_eq "uid $1, missing '$2': commands run" "$5" "$(cat "$CALLS")"
  if [ -n "$2" ]; then
    grep -qx "== installing: $2" <<<"$out" || fail "uid $1: no line naming the packages installed in: $out"
  fi
  if [ "$4" != 0 ]; then
    grep -q "package installation failed" <<<"$out" || fail "uid $1: a failed installation is not reported: $out"
  fi
}

test_setup() {
  # As root (a fresh container: no sudo) apt-get runs directly; otherwise through sudo -E.
  setup_case 0 "xvfb shellcheck" 1 0 "apt-get update -qq
apt-get $install xvfb shellcheck"
  setup_case 1000 "wx3.2-i18n" 0 0 "sudo -E apt-get update -qq
sudo -E apt-get $install wx3.2-i18n
sudo -E localedef -i es_ES -f UTF-8 es_ES.UTF-8"
  setup_case 0 "" 0 0 "localedef -i es_ES -f UTF-8 es_ES.UTF-8"
  # The window manager the window tests run under and the compiler cache the mutation tool's
  # copies of the tree share are among the packages.
  setup_case 0 "openbox ccache" 1 0 "apt-get update -qq
apt-get $install openbox ccache"
  # Everything in place: nothing runs, for root or not.
  setup_case 0 "" 1 0 ""
  setup_case 1000 "" 1 0 ""
  # apt-get fails: the script stops, says so, and does not go on to the locale.
  FAKE_RC=100 setup_case 0 "cmake" 0 1 "apt-get update -qq"
}

test_run() {
  # A checkout of its own: the two scripts, a sample, the built program (a fake that records
  # its arguments) and the sample's copy beside it.
  local co=$work/checkout
  mkdir -p "$co/tools" "$co/samples" "$co/build/bin/samples"
  cp "$src/tools/run.sh" "$src/tools/setup-debian.sh" "$co/tools/"
  echo tracked >"$co/samples/ejemplo.voski"
  echo copy >"$co/build/bin/samples/ejemplo.voski"
  echo other >"$work/otra.voski"
  # shellcheck disable=SC2016 # $a and $CALLS belong to the fake
  printf '#!/bin/sh\nfor a; do echo "orvane $a"; done >>"$CALLS"\n' >"$co/build/bin/orvane"
  chmod +x "$co/build/bin/orvane"
  local copy=$co/build/bin/samples/ejemplo.voski
  export FAKE_UID=0 FAKE_MISSING="" FAKE_ES_LOCALE=1

  run_case() {  # folder, expected program arguments, expected count of mapping lines, args...
    local dir=$1 want=$2 lines=$3 out
    shift 3
    : >"$CALLS"
    out=$(cd "$dir" && JOBS=2 "$co/tools/run.sh" "$@" 2>&1) || fail "run.sh $* from $dir failed: $out"
    expect_eq "run.sh $* from $dir: program arguments" "$want" "$(grep '^orvane' "$CALLS" || true)"
    expect_eq "run.sh $* from $dir: lines naming the copy" "$lines" "$(grep -c "opening $copy" <<<"$out" || true)"
    grep -q "^cmake --build build -j 2 " "$CALLS" || fail "run.sh does not build with JOBS=2: $(cat "$CALLS")"
  }
  # The checkout's sample, however named, becomes the copy beside the program.
  run_case "$co" "orvane $copy" 1 samples/ejemplo.voski
  run_case "$co/tools" "orvane $copy" 1 ../samples/ejemplo.voski
  run_case "$work" "orvane $copy" 1 "$co/samples/ejemplo.voski"
  # Anything else goes to the program unchanged.
  run_case "$co/build/bin" "orvane samples/ejemplo.voski" 0 samples/ejemplo.voski
  run_case "$work" "orvane otra.voski
orvane nueva.voski
orvane --help" 0 otra.voski nueva.voski --help
  run_case "$co" "" 0
  expect_eq "the checkout's sample" tracked "$(cat "$co/samples/ejemplo.voski")"
}

test_shellcheck() {
  command -v shellcheck >/dev/null || { echo "FAIL: shellcheck is not installed (tools/setup-debian.sh installs it)"; exit 1; }
  cd "$src"
  shellcheck tools/*.sh .ci/run tests/scripts/*.sh || fails=1
}

case $case_name in
  setup) test_setup ;;
  run) test_run ;;
  shellcheck) test_shellcheck ;;
  *) echo "unknown case $case_name"; exit 2 ;;
esac
[ "$fails" = 0 ] && echo "passed"
exit "$fails"
