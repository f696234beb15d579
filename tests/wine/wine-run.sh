#!/bin/sh
# Runs the kit's Windows programs under Wine for ctest, in one throwaway prefix per test run.
#
#   wine-run.sh --loader WINE --server WINESERVER --arch win64|win32 --prefix DIR setup
#   wine-run.sh ... cleanup
#   wine-run.sh ... run [--display] [--] PROGRAM.exe [ARG...]
#
# setup makes a fresh prefix (any earlier one at DIR is thrown away); cleanup stops the prefix's
# wineserver and removes it. run starts PROGRAM in the prefix and exits with its exit code. Programs
# run headless: they see no X display, so nothing can pop up on a developer's desktop. With
# --display a program gets a virtual X server of its own (xvfb-run, 1024x768, 24 bits), which lives
# exactly as long as the program and the Wine processes it leaves behind.
#
# When this machine cannot run the loader at all (a 32-bit loader where 32-bit programs cannot be
# executed, or no Wine), every command says why on one line and exits with 77, which ctest reports
# as a skip.
#
# KIT_WINEDEBUG, when set, replaces WINEDEBUG=-all (for example KIT_WINEDEBUG=err+all).

set -u

skip_code=77

say() { printf 'wine-run: %s\n' "$*" >&2; }
die() {
  say "$*"
  exit 1
}
skip() {
  printf 'SKIP: %s\n' "$*"
  exit "$skip_code"
}

loader=
server=
arch=
prefix=
while [ $# -gt 0 ]; do
  case $1 in
    --loader) loader=$2; shift 2 ;;
    --server) server=$2; shift 2 ;;
    --arch) arch=$2; shift 2 ;;
    --prefix) prefix=$2; shift 2 ;;
    *) break ;;
  esac
done
if [ -z "$loader" ] || [ -z "$server" ] || [ -z "$arch" ] || [ -z "$prefix" ]; then
  die "usage: wine-run.sh --loader WINE --server WINESERVER --arch win64|win32 --prefix DIR COMMAND"
fi
[ $# -gt 0 ] || die "no command: setup, cleanup or run"
command=$1
shift

case $arch in
  win64) bits=64 ;;
  win32) bits=32 ;;
  *) die "--arch must be win64 or win32, not '$arch'" ;;
esac

# Asking the loader for its version starts nothing in any prefix, and fails exactly when the loader
# cannot be executed here.
check_wine() {
  cannot="so the $bits-bit build's Wine tests cannot run"
  [ -x "$loader" ] || skip "no Wine loader at $loader, $cannot"
  if ! version=$("$loader" --version 2>&1); then
    reason=$(printf '%s\n' "$version" | head -n 1)
    skip "this machine cannot run the $bits-bit Wine loader $loader ($reason), $cannot"
  fi
  [ -x "$server" ] || skip "no wineserver at $server, $cannot"
}

check_wine

export WINEPREFIX="$prefix"
export WINEARCH="$arch"
export WINESERVER="$server"
export WINEDEBUG="${KIT_WINEDEBUG:--all}"
# No Mono or Gecko: without these, Wine offers to download them in a dialog. No menu builder: it
# would turn the Start-menu shortcuts the installer makes into entries of this machine's desktop.
# KIT_WINEDLLOVERRIDES adds a test's own.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${KIT_WINEDLLOVERRIDES:+;$KIT_WINEDLLOVERRIDES}"
unset DISPLAY WAYLAND_DISPLAY

case $command in
  setup)
    # A run that was interrupted may have left its prefix, and a server still serving it.
    if [ -d "$prefix" ]; then
      "$server" -k 2>/dev/null
      "$server" -w
    fi
    rm -rf "$prefix"
    mkdir -p "$(dirname "$prefix")" || die "cannot make the directory for $prefix"
    log="$prefix.setup.log"
    # Now and then a fresh prefix's very first start fails outright (seen here as "could not load
    # kernel32.dll"); one clean second attempt is made before the run is given up.
    attempt=1
    until "$loader" wineboot --init >"$log" 2>&1; do
      say "wineboot failed (attempt $attempt) making $prefix; it said:"
      cat "$log" >&2
      [ $attempt -lt 2 ] || die "wineboot could not make a prefix at $prefix"
      "$server" -k 2>/dev/null
      "$server" -w
      rm -rf "$prefix"
      attempt=$((attempt + 1))
    done
    # The prefix is written out when its wineserver ends; waiting for that also lets the services
    # wineboot started settle before the first test.
    "$server" -w
    [ -f "$prefix/system.reg" ] || die "wineboot left no registry in $prefix"
    rm -f "$log"
    printf 'wine-run: made a %s prefix at %s with %s\n' "$arch" "$prefix" "$version"
    ;;

  cleanup)
    if [ -d "$prefix" ]; then
      # -k fails when no server runs for the prefix, which is fine: then there is nothing to stop.
      "$server" -k 2>/dev/null
      "$server" -w
      rm -rf "$prefix" || die "cannot remove $prefix"
    fi
    ;;

  run)
    display=no
    while [ $# -gt 0 ]; do
      case $1 in
        --display) display=yes; shift ;;
        --) shift; break ;;
        *) break ;;
      esac
    done
    [ $# -gt 0 ] || die "run: no program"
    [ -f "$prefix/system.reg" ] || die "no prefix at $prefix: the prefix.setup test makes it"
    if [ $display = no ]; then
      # The services a program starts outlive it for a few seconds and hold on to its stderr; on
      # ctest's pipe that would hold every test up until they end. A file they may keep open.
      errors=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX") || die "cannot make a temporary file"
      "$loader" "$@" 2>"$errors"
      status=$?
      cat "$errors" >&2
      rm -f "$errors"
      exit $status
    fi
    command -v xvfb-run >/dev/null 2>&1 ||
      skip "xvfb-run is not installed, so tests that need a display cannot run"
    # A wineserver left by an earlier test was started without a display; this program's desktop
    # must belong to its own X server, so it starts with a server of its own.
    "$server" -w
    # Every Wine process must be gone before the X server is: the program's own exit code is kept
    # while the prefix's wineserver is waited for.
    # shellcheck disable=SC2016 # expanded by the inner shell, inside the X session
    xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24 -nolisten tcp" \
      sh -c '"$0" "$@"; status=$?; "$WINESERVER" -w; exit $status' "$loader" "$@"
    exit $?
    ;;

  *)
    die "unknown command '$command': setup, cleanup or run"
    ;;
esac
