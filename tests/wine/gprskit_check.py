#!/usr/bin/env python3
"""`GprsKit check`, the real GprsKit.exe from the kit's folder under Wine, against the simulated
modem on COM5: a modem that follows TS 27.007 to the letter, a lenient one, a silent port and a
port another process holds, each checked with the port named and through the installed modem's;
then modems that answer as widespread ones do (vendor codes, a code before the echo, a long line,
numeric result codes) and SIMs that are locked or missing, with the port named; last the SIM's
operator as the check names it and `GprsKit apn /auto` writes its APN, for SIMs of one operator's
network code and of a code several share; a +CIMI the modem refuses, among the widespread modems'
ways (the unit tests hold the unknown codes).

  gprskit_check.py --kit DIR --port-device EXE --prefix DIR --server WINESERVER -- RUNNER...

RUNNER is wine-run.sh with its options; its skip code is passed on.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import termios
import time

# The source tree is no place for a compiled copy of the simulator.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from modem_simulator import (IDLE_SPEED, IMEI, IMSI, IMSI_ONE_OPERATOR,  # noqa: E402
                             ModemSimulator)

SKIP = 77
PORT = "COM5"
USER_INIT = 'E1;+CGDCONT="internet";+CGQREQ=1'
STANDARD_INIT = 'E1;+CGDCONT=1,"IP","internet";+CGQREQ=1'
# A SIM that is not ready is not asked for its network.
NOT_READY_QUESTIONS = ["ATI", "AT+CGMI", "AT+CGMM", "AT+CGMR", "AT+CPIN?", "AT+CSQ", "AT+CREG?",
                       "AT+CGREG?"]
QUESTIONS = NOT_READY_QUESTIONS + ["AT+CIMI"]
# The simulated SIM's network, serviceproviders.xml's two operators of 262 01, as the check says it.
SHARED_NETWORK = [
    "SIM's network (MCC 262, MNC 01): 2 operators share it:",
    "  T-Mobile(Telekom); APN for the internet: internet.t-d1.de, password t-d1",
    "  Congstar; APN for the internet: internet.t-mobile, user name t-mobile, password tm",
]
# The verb's whole check is bounded at 30 s; Wine's start comes on top.
CHECK_BOUND = 40
CAP_SYS_ADMIN = 21

failures = []


class Skipped(Exception):
    """This machine cannot run the build's Wine at all."""


def expect(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what, flush=True)
    return condition


class Prefix:
    def __init__(self, arguments):
        self.runner = arguments.runner
        self.kit = arguments.kit
        self.server = arguments.server
        self.environment = dict(os.environ, WINEPREFIX=arguments.prefix)

    def run(self, program, *program_arguments):
        command = self.runner + ["run", "--", program, *program_arguments]
        for attempt in (1, 2):
            started = time.monotonic()
            result = subprocess.run(command, capture_output=True, timeout=120,
                                    env=self.environment)
            elapsed = time.monotonic() - started
            # Every run of the tool says something; one that failed having said nothing at all
            # never started (seen once in eleven runs, against a freshly started server), and is
            # run once more.
            if result.returncode == 0 or result.stdout or result.stderr or attempt == 2:
                break
            print("(%s ended with %d before it said anything: once more)"
                  % (os.path.basename(program), result.returncode), flush=True)
        out = result.stdout.decode("latin-1").replace("\r\n", "\n")
        err = result.stderr.decode("latin-1").replace("\r\n", "\n")
        if result.returncode == SKIP and out.startswith("SKIP:"):
            raise Skipped(out.strip())
        return result.returncode, out, err, elapsed

    def gprskit(self, *arguments):
        return self.run(os.path.join(self.kit, "GprsKit.exe"), *arguments)

    def serve(self, without_sys_admin=False):
        """One wineserver for the runs to come. A server that ends on its own when the last
        program has gone now and then resets the next program's connection as it goes (seen
        here in every other run); one that persists until it is stopped does not."""
        if not os.access(self.server, os.X_OK):
            raise Skipped("SKIP: no wineserver at " + self.server)
        if not os.path.isdir(self.environment["WINEPREFIX"]):
            # The prefix's setup made none. Where this build's loader cannot run at all, the
            # runner says so and the scenario is skipped, as every other test of this build is;
            # elsewhere the run goes on and fails where the prefix is missing.
            self.run("cmd.exe", "/c", "exit 0")
        self.stop_server()
        wrapper = []
        if without_sys_admin:
            wrapper = ["setpriv", "--bounding-set=-sys_admin", "--inh-caps=-sys_admin"]
        # The server tells every object it still holds when it is stopped: nothing to keep.
        subprocess.run(wrapper + [self.server, "-p"], env=self.environment, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def stop_server(self):
        subprocess.run([self.server, "-k"], env=self.environment, stderr=subprocess.DEVNULL)
        subprocess.run([self.server, "-w"], env=self.environment)


def has_sys_admin():
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("CapEff:"):
                return bool(int(line.split()[1], 16) >> CAP_SYS_ADMIN & 1)
    return False


def last_line(text):
    lines = [line for line in text.split("\n") if line.strip()]
    return lines[-1] if lines else ""


def check(prefix, modem, arguments, expected_code, verdict, commands, lines=()):
    """One run of the verb: its exit code, its last line, what it asked the modem and what it
    left on the line. `verdict` tells the last line; `commands` the command lines expected after
    the first AT, None when the modem must have heard only AT, [] when nothing; `lines` are
    lines it must have said on its output."""
    modem.clear()
    code, out, err, elapsed = prefix.gprskit(*arguments)
    label = "%s modem, GprsKit %s" % (" ".join((modem.mode,) + modem.quirks), " ".join(arguments))
    print("== %s: exit %d after %.1f s\n%s%s" % (label, code, elapsed, out, err), flush=True)
    expect(code == expected_code, "%s: exit %d, not %d" % (label, code, expected_code))
    stream = out if expected_code == 0 else err
    expect(verdict(last_line(stream)), "%s: last line %r" % (label, last_line(stream)))
    if expected_code == 0:
        expect(err == "", "%s: says %r on its error stream" % (label, err))
    for identity in (IMEI, IMSI, IMSI_ONE_OPERATOR):
        expect(identity[6:] not in out + err and not re.search(r"\d{14,}", out + err),
               "%s: shows the modem's IMEI or the SIM's IMSI" % label)
    expect(elapsed < CHECK_BOUND, "%s: took %.1f s" % (label, elapsed))
    said = out.split("\n")
    for line in lines:
        expect(line in said, "%s: did not say %r" % (label, line))

    received = modem.received()
    lines = [line for line, _ in received]
    leading = 0
    while leading < len(lines) and lines[leading].upper() == "AT":
        leading += 1
    if commands is None:
        expect(1 <= leading <= 3 and leading == len(lines),
               "%s: asked a silent modem %r" % (label, lines))
    elif not commands:
        expect(not lines, "%s: reached a held port with %r" % (label, lines))
    else:
        expect(1 <= leading <= 3 and lines[leading:] == commands,
               "%s: asked %r, not AT and then %r" % (label, lines, commands))
    # 115200 8N1 with RTS/CTS, as the kit's INF sets the modem.
    wrong = [(line, state) for line, state in received
             if state["speed"] != termios.B115200 or not state["eight_bits"] or state["parity"]
             or state["two_stop_bits"] or not state["rts_cts"]]
    expect(not wrong, "%s: sent on a line set otherwise: %r" % (label, wrong[:1]))
    after = modem.line_state()
    expect(after["speed"] == IDLE_SPEED and not after["rts_cts"],
           "%s: left the port set to %r" % (label, after))


def is_refusal(line):
    return line == ("the modem refuses the init string: AT" + USER_INIT + " answered ERROR; it "
                    "takes TS 27.007's form, which this writes: GprsKit apn internet /standard")


# Modems as widespread ones answer, each with the lines that show it was read rightly.
INIT_TAKEN = "init string (AT%s): OK" % USER_INIT
REAL_MODEMS = [
    (("vendor", "early"), 0, "the modem accepts the init string",
     ["manufacturer (AT+CGMI): Kit Test Modems", "signal (AT+CSQ): -73 dBm",
      "network (AT+CREG?): registered, home network",
      "packet network (AT+CGREG?): registered, roaming"]),
    (("long",), 0, "the modem accepts the init string",
     ["model (AT+CGMM): an answer line of 256 bytes or more", "revision (AT+CGMR): 1.0.7",
      "SIM (AT+CPIN?): READY"]),
    (("numeric",), 0, "the modem accepts the init string",
     ["modem (AT): 0 (OK), in numeric mode (V0); the modem driver's own init string sets V1",
      "identity (ATI): Kit Test Modems GPRS-SIM 1; Revision: 1.0.7; (withheld)",
      "init string (AT%s): 0 (OK)" % USER_INIT]),
    (("cimi-error", "cme"), 0, "the modem accepts the init string",
     ["SIM's network (AT+CIMI): +CME ERROR: 4 (operation not supported)", INIT_TAKEN]),
    (("pin",), 1, "the SIM asks for its PIN: no dial works until it is given, or until its "
     "request is switched off with the SIM in a phone",
     ["SIM (AT+CPIN?): SIM PIN", "network (AT+CREG?): not registered, not searching", INIT_TAKEN]),
    (("puk", "cme"), 1, "the SIM asks for its PUK, as its PIN was refused too often: no dial "
     "works until it is unblocked with the PUK from the operator",
     ["SIM (AT+CPIN?): SIM PUK", INIT_TAKEN]),
    (("nosim", "cme"), 1, "the modem has no SIM: no dial works without one",
     ["SIM (AT+CPIN?): +CME ERROR: 10 (SIM not inserted)", INIT_TAKEN]),
]


def scenario(prefix, prefix_dir):
    def modem(mode):
        return ModemSimulator(prefix_dir, PORT.lower(), mode)

    # Before any install the port can be checked, and there is no init string to try.
    with modem("lenient") as lenient:
        check(prefix, lenient, ["check", PORT], 0,
              lambda line: line == "the modem answers; no init string of the kit is installed "
              "for " + PORT, QUESTIONS)

    code, out, err, _ = prefix.gprskit("install", PORT)
    if not expect(code == 0, "GprsKit install %s: exit %d: %s%s" % (PORT, code, out, err)):
        return
    code, out, err, _ = prefix.gprskit("apn", "internet")
    if not expect(code == 0 and USER_INIT in out, "GprsKit apn internet: %d %s%s" % (code, out, err)):
        return

    with_init = QUESTIONS + ["AT" + USER_INIT]
    for arguments in (["check", PORT], ["check"]):
        with modem("strict") as strict:
            check(prefix, strict, arguments, 1, is_refusal, with_init + ["AT" + STANDARD_INIT],
                  ["standard form (AT%s): OK" % STANDARD_INIT])
        with modem("lenient") as lenient:
            check(prefix, lenient, arguments, 0,
                  lambda line: line == "the modem accepts the init string", with_init,
                  SHARED_NETWORK + ["the init string's APN internet is none the table gives for "
                                    "the SIM's network"])
        with modem("silent") as silent:
            check(prefix, silent, arguments, 1,
                  lambda line: line == "no modem answers on " + PORT, None)

    not_ready_init = NOT_READY_QUESTIONS + ["AT" + USER_INIT]
    for quirks, code, last, lines in REAL_MODEMS:
        with ModemSimulator(prefix_dir, PORT.lower(), "lenient", quirks) as real:
            check(prefix, real, ["check", PORT], code, lambda line, last=last: line == last,
                  with_init if code == 0 else not_ready_init, lines)

    sim_operator(prefix, prefix_dir)

    # The fix the strict modem's check names, and the check after it.
    code, out, err, _ = prefix.gprskit("apn", "internet", "/standard")
    if expect(code == 0 and STANDARD_INIT in out, "GprsKit apn internet /standard: %d %s%s"
              % (code, out, err)):
        with modem("strict") as strict:
            check(prefix, strict, ["check"], 0,
                  lambda line: line == "the modem accepts the init string",
                  QUESTIONS + ["AT" + STANDARD_INIT])

    # Wine shares no character device between processes, but the kernel refuses a second open of
    # a terminal set exclusive to everyone without CAP_SYS_ADMIN; the wineserver opens the port,
    # so it is the one that must lack it.
    drop = has_sys_admin()
    if drop and not expect(shutil.which("setpriv"), "setpriv (util-linux) is not installed"):
        return
    prefix.serve(without_sys_admin=drop)
    with modem("held") as held:
        for arguments in (["check", PORT], ["check"]):
            check(prefix, held, arguments, 1,
                  lambda line: line == PORT + " is in use by another program", [])


def sim_operator(prefix, prefix_dir):
    """The SIM's operator: named by the check, its APN written by apn /auto where it is one."""
    asked = ["AT+CPIN?", "AT+CIMI"]
    with ModemSimulator(prefix_dir, PORT.lower(), "lenient") as shared:
        check(prefix, shared, ["apn", "/auto"], 1,
              lambda line: line == "Several operators share the SIM's network: nothing was "
              "changed; write the SIM's operator's APN: GprsKit apn NAME", asked, SHARED_NETWORK)
    rogers = ("SIM's network (MCC 302, MNC 720): Rogers; APN for the internet: internet.com, "
              "user name wapuser1, password wap")
    one_init = 'E1;+CGDCONT="internet.com";+CGQREQ=1'
    with ModemSimulator(prefix_dir, PORT.lower(), "lenient", imsi=IMSI_ONE_OPERATOR) as one:
        check(prefix, one, ["apn", "/auto"], 0,
              lambda line: line == "The modem's init string is now " + one_init, asked, [rogers])
        check(prefix, one, ["check"], 0, lambda line: line == "the modem accepts the init string",
              QUESTIONS + ["AT" + one_init],
              [rogers, "the init string's APN internet.com is one the table gives for the SIM's "
               "network"])
    code, out, err, _ = prefix.gprskit("apn", "internet")
    expect(code == 0, "GprsKit apn internet again: %d %s%s" % (code, out, err))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kit", required=True)
    parser.add_argument("--port-device", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--server", required=True)
    parser.add_argument("runner", nargs=argparse.REMAINDER)
    arguments = parser.parse_args()
    if arguments.runner[:1] == ["--"]:
        arguments.runner = arguments.runner[1:]
    prefix = Prefix(arguments)

    started = time.monotonic()
    try:
        run_scenario(prefix, arguments)
    except Skipped as skipped:
        print(skipped)
        return SKIP
    print("%d failure(s) in %.0f s" % (len(failures), time.monotonic() - started))
    return 1 if failures else 0


def run_scenario(prefix, arguments):
    prefix.serve()
    try:
        code, out, err, _ = prefix.run(arguments.port_device, "add", PORT)
        if not expect(code == 0, "the port device for %s: %s%s" % (PORT, out, err)):
            return
        try:
            scenario(prefix, arguments.prefix)
        finally:
            # Later tests see the prefix as the fixture made it, served as they expect.
            prefix.serve()
            code, out, err, _ = prefix.gprskit("remove")
            expect(code == 0, "GprsKit remove: exit %d: %s%s" % (code, out, err))
            code, out, err, _ = prefix.run(arguments.port_device, "remove", PORT)
            expect(code == 0, "removing the port device for %s: %s%s" % (PORT, out, err))
    finally:
        prefix.stop_server()


if __name__ == "__main__":
    sys.exit(main())
