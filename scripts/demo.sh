#!/usr/bin/env bash
# The kit's main job under Wine, headless, in a fresh prefix that is thrown away afterwards.
# Run by `make demo` once the Windows builds are made.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runner=$root/tests/wine/wine-run.sh

step() { printf '\n== %s\n' "$*"; }

# The kit is made for 32-bit Windows; a machine that cannot run 32-bit programs shows the same job
# with the 64-bit build.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=win32 loader=/usr/lib/wine/wine server=/usr/lib/wine/wineserver
else
  arch=win64 loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64
  printf 'This machine cannot run 32-bit programs, so the demo runs the 64-bit build of the kit.\n'
fi
kit=$root/build/$arch/tests/wine
[[ -f $kit/demo_probe.exe ]] || { echo "no $arch build in $kit: run 'make demo' from the top" >&2; exit 1; }

prefix=$(mktemp -d "${TMPDIR:-/tmp}/gprs-kit-demo.XXXXXX")
wine() { sh "$runner" --loader "$loader" --server "$server" --arch "$arch" --prefix "$prefix/wine" "$@"; }
trap 'wine cleanup >/dev/null 2>&1; rm -rf "$prefix"' EXIT

step "Creating a fresh Wine prefix ($arch) in $prefix"
wine setup

step "Making serial ports present: COM1, COM4, LPT1 and one port without a name"
wine run -- "$kit/fixture_ports.exe" >/dev/null
printf 'done\n'

step "InfInstall.dll lists the COM ports"
wine run -- "$kit/demo_probe.exe" ports

step "PortWizard installs the GPRS modem on COM4 through its own pages"
wine run --display -- "$kit/demo_drive.exe" portwizard COM4

step "InitWriter writes the APN \"internet\" into the modem's init string through its page"
wine run --display -- "$kit/demo_drive.exe" initwriter internet

step "The modem as Wine's SetupAPI and registry now hold it"
modem=$(wine run -- "$kit/demo_probe.exe" show | tr -d '\r') || true
printf '%s\n' "$modem"

# Wine's remote-access service accepts an entry without writing it: the entry is put into the
# phonebook the way Windows writes it, and EntryMaker then sets its lines.
pbk="$prefix/wine/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Network/Connections/Pbk"
step "EntryMaker sets the lines of \"GPRS Connection\" in the phonebook Windows wrote"
mkdir -p "$pbk"
cp "$kit/rasphone-seed.pbk" "$pbk/rasphone.pbk"
wine run --display -- "$kit/demo_drive.exe" entrymaker

step "The entry's settings lines in rasphone.pbk (written as Windows 10 does, without IpFrameSize=)"
entry=$(awk '/^\[GPRS Connection\]/ { inside = 1; next } /^\[/ { inside = 0 } inside' "$pbk/rasphone.pbk" |
  tr -d '\r')
printf '%s\n' "$entry" |
  grep -E '^(NegotiateMultilinkAlways|BindMsNetClient|PreviewUserPw|ShowDialingProgress|ShowMonitorIconInTaskBar|IpHeaderCompression|IpNameAssign|IpFrameSize|ms_msclient|ConnectBPS|HwFlowControl|Protocol|Compression)=' |
  sed 's/^/  /'

# A modem of the host's own, on a pseudo-terminal that the prefix sees as COM4: one that takes any
# +CGDCONT, as many do, with a SIM of Rogers' network code (302 720). The check asks it what the
# kit's modem would be asked, names the SIM's operator, and tries the init string.
step "GprsKit check asks a simulated modem on COM4 whether it takes the init string"
python3 "$root/tests/wine/modem_simulator.py" --prefix "$prefix/wine" --port com4 --mode lenient \
  --imsi 302720876543210 >/dev/null &
simulator=$!
trap 'kill $simulator 2>/dev/null || true; wine cleanup >/dev/null 2>&1; rm -rf "$prefix"' EXIT
for _ in $(seq 50); do [[ -L $prefix/wine/dosdevices/com4 ]] && break; sleep 0.1; done
check=$(wine run -- "$root/build/$arch/kit/GprsKit.exe" check 2>&1 | tr -d '\r') || true
printf '%s\n' "$check" | sed 's/^/  /'
kill $simulator 2>/dev/null || true
wait $simulator 2>/dev/null || true

# The report: every value the set-up is for, as found, against what it must be.
step "Report"
failures=0
expect() {  # expect WHAT FOUND WANTED
  if [[ "$2" == "$3" ]]; then
    printf '  ok        %-26s %s\n' "$1" "$2"
  else
    printf '  NOT OK    %-26s %s (expected %s)\n' "$1" "${2:-nothing}" "$3"
    failures=$((failures + 1))
  fi
}
field() { printf '%s\n' "$modem" | sed -n "s/^ *$1: *//p" | head -n 1; }
line() { printf '%s\n' "$entry" | grep -m1 "^$1=" | cut -d= -f2-; }
expect "hardware ID" "$(field 'hardware IDs')" "WWAN_GENERIC"
expect "AttachedTo" "$(field AttachedTo)" "COM4"
expect "FriendlyName" "$(field FriendlyName)" "GPRS Modem"
expect "UserInit" "$(field UserInit)" 'E1;+CGDCONT="internet";+CGQREQ=1'
expect "GprsKit check" "$(printf '%s\n' "$check" | tail -n 1)" "the modem accepts the init string"
expect "SIM's operator" "$(printf '%s\n' "$check" | sed -n "s/^SIM's network (MCC 302, MNC 720): //p")" \
  "Rogers; APN for the internet: internet.com, user name wapuser1, password wap"
for setting in NegotiateMultilinkAlways=0 BindMsNetClient=0 PreviewUserPw=1 ShowDialingProgress=1 \
  ShowMonitorIconInTaskBar=1 IpHeaderCompression=0 IpNameAssign=1 ms_msclient=0 \
  ConnectBPS=115200 HwFlowControl=0 Protocol=0 Compression=0; do
  expect "${setting%%=*}" "$(line "${setting%%=*}")" "${setting#*=}"
done
if [[ $failures -ne 0 ]]; then
  printf '\n%d value(s) not as expected\n' "$failures"
  exit 1
fi
printf '\nEvery value is as expected. Pictures of the pages: %s\n' "$kit/demo-screenshots"
