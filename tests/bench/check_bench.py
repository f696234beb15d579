#!/usr/bin/env python3
"""How long `GprsKit check` takes under Wine against a simulated modem that answers every command
at once, next to the time its bytes would take on the wire at 115200 bit/s and to Wine's own start
of the same program. Prints the figures; it passes or fails nothing.

  check_bench.py --kit DIR [--runs N] [--loader WINE] [--server WINESERVER]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "wine"))
from modem_simulator import BYTE_SECONDS, ModemSimulator  # noqa: E402

PORT = "COM5"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kit", required=True)
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--loader", default="/usr/lib/wine/wine64")
    parser.add_argument("--server", default="/usr/lib/wine/wineserver64")
    arguments = parser.parse_args()
    program = os.path.join(os.path.abspath(arguments.kit), "GprsKit.exe")

    folder = tempfile.mkdtemp(prefix="gprskit-check-bench.")
    prefix = os.path.join(folder, "prefix")
    runner = ["sh", os.path.join(HERE, "..", "wine", "wine-run.sh"), "--loader", arguments.loader,
              "--server", arguments.server, "--arch", "win64", "--prefix", prefix]
    environment = dict(os.environ, WINEPREFIX=prefix)
    try:
        if subprocess.run(runner + ["setup"], stdout=subprocess.DEVNULL).returncode != 0:
            print("check bench: no Wine prefix could be made; nothing measured")
            return 0
        # One server for every run, so that no run pays for starting it.
        subprocess.run([arguments.server, "-p"], env=environment, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def timed(*program_arguments):
            started = time.monotonic()
            result = subprocess.run(runner + ["run", "--", program, *program_arguments],
                                    capture_output=True)
            return time.monotonic() - started, result

        starts, checks, wire = [], [], []
        with ModemSimulator(prefix, PORT.lower(), "lenient", ("at-once",)) as modem:
            for _ in range(arguments.runs):
                starts.append(timed("help")[0])
                modem.bytes_heard = modem.bytes_sent = 0
                seconds, result = timed("check", PORT)
                if result.returncode != 0:
                    print("check bench: the check failed:", result.stdout.decode(errors="replace"),
                          result.stderr.decode(errors="replace"))
                    return 1
                checks.append(seconds)
                wire.append(modem.bytes_heard + modem.bytes_sent)
        start, check = statistics.median(starts), statistics.median(checks)
        print("GprsKit check under Wine, against a modem that answers at once (median of %d runs):"
              % arguments.runs)
        print("  the whole run                   %6.3f s" % check)
        print("  Wine's start of the same program %5.3f s  (GprsKit help)" % start)
        print("  the check itself                %6.3f s" % (check - start))
        print("  its bytes on the wire           %6d bytes, %.3f s at 115200 bit/s"
              % (statistics.median(wire), statistics.median(wire) * BYTE_SECONDS))
        return 0
    finally:
        subprocess.run([arguments.server, "-k"], env=environment, stderr=subprocess.DEVNULL)
        subprocess.run([arguments.server, "-w"], env=environment, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
