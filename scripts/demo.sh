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
wine run -- "$kit/demo_probe.exe" show

# Wine's remote-access service accepts an entry without writing it: the entry is put into the
# phonebook the way Windows writes it, and EntryMaker then sets its lines.
pbk="$prefix/wine/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Network/Connections/Pbk"
step "EntryMaker sets the lines of \"GPRS Connection\" in the phonebook Windows wrote"
mkdir -p "$pbk"
cp "$kit/rasphone-seed.pbk" "$pbk/rasphone.pbk"
wine run --display -- "$kit/demo_drive.exe" entrymaker

step "The entry's settings lines in rasphone.pbk (written as Windows 10 does, without IpFrameSize=)"
awk '/^\[GPRS Connection\]/ { inside = 1; next } /^\[/ { inside = 0 } inside' "$pbk/rasphone.pbk" |
  tr -d '\r' |
  grep -E '^(NegotiateMultilinkAlways|BindMsNetClient|PreviewUserPw|ShowDialingProgress|ShowMonitorIconInTaskBar|IpHeaderCompression|IpNameAssign|IpFrameSize|ms_msclient|ConnectBPS|HwFlowControl|Protocol|Compression)=' |
  sed 's/^/  /'
