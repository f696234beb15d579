#!/usr/bin/env python3
"""A GPRS modem on a pseudo-terminal of this host, seen by a Wine prefix as one of its COM ports.

Wine opens COMn through the prefix's dosdevices/comn link, so linking that name to a pseudo-
terminal's slave is all it takes. The modem answers V.250 command lines with TS 27.007's commands:

  strict   (default) takes only the syntax TS 27.007 gives; +CGDCONT needs its numeric <cid> first
  lenient  the same, but any +CGDCONT is fine
  silent   the port opens, and nothing ever answers
  held     another process holds the port exclusively (TIOCEXCL on the slave); only a process
           without CAP_SYS_ADMIN, and so a wineserver without it, is refused the open

and in any mode it may answer as widespread modems do, in their ways that a reader must know:

  vendor      a vendor's own codes among its answers, as some USB modems send them every few
              seconds (^RSSI, ^BOOT)
  early       an unsolicited +CREG: 5 before the echo of every command
  long        AT+CGMM answered with a line of 400 bytes, sent at the line's speed
  numeric     V.250's numeric result codes (V0) from the start
  cme         errors as +CME ERROR: <n> (AT+CMEE=1) from the start
  pin, puk    a SIM that asks for its PIN, or is blocked and asks for its PUK
  nosim       no SIM in the modem
  cimi-error  +CIMI refused, as by a modem that does not know it (+CME ERROR: 4 with cme)
  at-once     each answer written in one piece, not in two a little apart

Run on its own, it serves until interrupted:
  modem_simulator.py --prefix WINEPREFIX [--port com5] [--mode strict|lenient|silent|held]
                     [--quirk QUIRK]... [--imsi DIGITS]
"""

import argparse
import fcntl
import os
import pty
import select
import signal
import termios
import threading
import time
import tty

# The identity a modem gives away in ATI and +CGSN and the SIM's in +CIMI; a tool that prints the
# modem's answers must keep both to itself. The IMSI's first digits are a network code of
# serviceproviders.xml (mobile-broadband-provider-info 20230416-1): 262 01, which T-Mobile
# (Telekom) and Congstar share; 302 720, Rogers' alone.
IMEI = "356938035643809"
IMSI = "262019876543210"
IMSI_ONE_OPERATOR = "302720876543210"

MODES = ("strict", "lenient", "silent", "held")
QUIRKS = ("vendor", "early", "long", "numeric", "cme", "pin", "puk", "nosim", "at-once",
          "cimi-error")

# The SIM's state as AT+CPIN? gives it, and the +CME ERROR that TS 27.007 §9.2 gives for it.
SIM_STATES = {None: ("READY", None), "pin": ("SIM PIN", 11), "puk": ("SIM PUK", 12),
              "nosim": (None, 10)}
ERROR_TEXTS = {4: "operation not supported", 10: "SIM not inserted", 11: "SIM PIN required", 12: "SIM PUK required"}

# 115200 bit/s, ten bits a byte: a long answer takes this long a byte on a real line.
BYTE_SECONDS = 10 / 115200

# Huawei's codes, as garronej/at-messages-parser's tests hold them.
VENDOR_CODES = ("^RSSI:17", "^BOOT:20952548,0,0,0,72")

# The line's state before any program opens the port, so that a program that changes it and
# restores it can be told from one that leaves it changed.
IDLE_SPEED = termios.B9600

# Unsolicited result codes, one before every third answer. In the order GprsKit asks, the +CGREG
# one comes before the answer to +CGREG?, where a reader that takes the first "+CGREG:" line
# would take the wrong one.
UNSOLICITED = ("RING", "+CREG: 1", "+CGREG: 1")


class Refused(Exception):
    """The command line ends here with ERROR, as V.250 ends a line at its first failing command."""

    def __init__(self, why, error=None):
        super().__init__(why)
        self.error = error  # the +CME ERROR <err>, where TS 27.007 gives one


def _values(arguments):
    """The comma-separated values of an extended command, strings still quoted."""
    values, current, quoted = [], "", False
    for ch in arguments:
        if ch == '"':
            quoted = not quoted
        if ch == "," and not quoted:
            values.append(current)
            current = ""
        else:
            current += ch
    if quoted:
        raise Refused("an unterminated string")
    values.append(current)
    return values


def _is_number(value):
    return value.isdigit()


def _is_string(value):
    return len(value) >= 2 and value[0] == '"' and value[-1] == '"'


class Modem:
    """The command interpreter, apart from the port, so that it can be read on its own."""

    def __init__(self, mode, quirks=(), imsi=IMSI):
        self.mode = mode
        self.imsi = imsi
        self.quirks = set(quirks)
        self.echo = True
        self.verbose = "numeric" not in self.quirks
        self.cmee = 1 if "cme" in self.quirks else 0
        sim = next((q for q in ("pin", "puk", "nosim") if q in self.quirks), None)
        self.sim_state, self.sim_error = SIM_STATES[sim]
        self.registration_report = 0
        self.gprs_registration_report = 0
        self.contexts = {}

    def answer(self, line):
        """The info lines and the final result code for one command line (without its CR)."""
        at = line.upper().find("AT")
        if at < 0:
            return None  # V.250 ignores whatever does not start with AT
        body = self._normalise(line[at + 2 :])
        info = []
        try:
            self._run(body, info)
        except Refused as refused:
            if refused.error is not None and self.cmee:
                detail = refused.error if self.cmee == 1 else ERROR_TEXTS[refused.error]
                return info, "+CME ERROR: %s" % detail
            return info, "ERROR"
        return info, "OK"

    @staticmethod
    def _normalise(body):
        # Spaces and case do not matter outside strings; inside them they are the data.
        out, quoted = "", False
        for ch in body:
            if ch == '"':
                quoted = not quoted
            if quoted or ch == '"':
                out += ch
            elif ch != " ":
                out += ch.upper()
        return out

    def _run(self, body, info):
        at = 0
        while at < len(body):
            ch = body[at]
            if ch == ";":
                at += 1  # after a basic command a separator is harmless
            elif ch == "+":
                end = at + 1
                quoted = False
                while end < len(body) and (quoted or body[end] != ";"):
                    if body[end] == '"':
                        quoted = not quoted
                    end += 1
                self._extended(body[at:end], info)
                at = end + 1
            else:
                at = self._basic(body, at, info)

    def _basic(self, body, at, info):
        name = body[at]
        at += 1
        if name == "&" and at < len(body):
            name += body[at]
            at += 1
        if name == "S":
            start = at
            while at < len(body) and body[at].isdigit():
                at += 1
            if at == start or at >= len(body):
                raise Refused("S without a register")
            if body[at] == "?":
                info.append("013")
                return at + 1
            if body[at] != "=":
                raise Refused("S without = or ?")
            at += 1
            while at < len(body) and body[at].isdigit():
                at += 1
            return at
        start = at
        while at < len(body) and body[at].isdigit():
            at += 1
        number = int(body[start:at]) if at > start else 0
        if name == "E":
            if number > 1:
                raise Refused("E takes 0 or 1")
            self.echo = number == 1
        elif name == "I":
            if number != 0:
                raise Refused("only I0 is known")
            info.extend(["Kit Test Modems GPRS-SIM 1", "Revision: 1.0.7", "IMEI: " + IMEI])
        elif name == "V":
            if number > 1:
                raise Refused("V takes 0 or 1")
            self.verbose = number == 1
        elif name in ("Z", "&F"):
            self.echo = self.verbose = True
        elif name not in ("Q", "X", "&C", "&D", "&K", "H"):
            raise Refused("unknown basic command " + name)
        return at

    def _extended(self, command, info):
        name, kind, arguments = command, "", ""
        cut = min((at for at in (command.find("="), command.find("?")) if at > 0), default=-1)
        if cut > 0:
            kind = "=?" if command.startswith("=?", cut) else command[cut]
            name, arguments = command[:cut], command[cut + len(kind) :]
        if kind in ("?", "=?") and arguments:
            raise Refused("text after " + kind)
        plain = {
            "+CGMI": ["Kit Test Modems"],
            "+CGMM": ["GPRS-SIM 1 " + "-" * 389 if "long" in self.quirks else "GPRS-SIM 1"],
            "+CGMR": ["1.0.7"],
            "+CGSN": [IMEI],
            "+CIMI": [self.imsi],
            "+CSQ": ["+CSQ: 20,99"],
        }
        if name == "+CIMI" and "cimi-error" in self.quirks:
            raise Refused("+CIMI is not known here", 4)
        if name in plain and kind == "":
            info.extend(plain[name])
        elif name == "+CSQ" and kind == "=?":
            info.append("+CSQ: (0-31,99),(0-7,99)")
        elif name == "+CPIN" and kind == "?":
            if self.sim_state is None:
                raise Refused("no SIM", self.sim_error)
            info.append("+CPIN: " + self.sim_state)
        elif name == "+CMEE" and kind == "=" and arguments in ("", "0", "1", "2"):
            self.cmee = int(arguments or "0")
        elif name in ("+CREG", "+CGREG"):
            self._registration(name, kind, arguments, info)
        elif name == "+CGDCONT":
            self._context(kind, arguments, info)
        elif name == "+CGQREQ":
            self._quality(kind, arguments, info)
        else:
            raise Refused("unknown or malformed " + command)

    def _registration(self, name, kind, arguments, info):
        state = 1 if name == "+CREG" else 5  # registered at home; in GPRS, roaming
        if self.sim_state != "READY":
            state = 0  # no network without a SIM that is ready
        attribute = "registration_report" if name == "+CREG" else "gprs_registration_report"
        if kind == "?":
            info.append("%s: %d,%d" % (name, getattr(self, attribute), state))
        elif kind == "=?":
            info.append(name + ": (0-2)")
        elif kind == "=" and arguments in ("", "0", "1", "2"):
            setattr(self, attribute, int(arguments or "0"))
        else:
            raise Refused(name + " " + kind + arguments)

    def _context(self, kind, arguments, info):
        if self.mode == "lenient":
            return
        if kind == "?":
            for cid, values in sorted(self.contexts.items()):
                info.append("+CGDCONT: %d,%s" % (cid, ",".join(values)))
        elif kind == "=?":
            info.append('+CGDCONT: (1-16),"IP",,,(0-2),(0-4)')
        elif kind == "=":
            # +CGDCONT=<cid>[,<PDP_type>[,<APN>[,<PDP_addr>[,<d_comp>[,<h_comp>]]]]]
            values = _values(arguments)
            if not _is_number(values[0]) or not 1 <= int(values[0]) <= 16:
                raise Refused("+CGDCONT needs a <cid> from 1 to 16 first")
            for at, value in enumerate(values[1:4], start=1):
                if value and not _is_string(value):
                    raise Refused("+CGDCONT's value %d is a string" % at)
            for value in values[4:6]:
                if value and not _is_number(value):
                    raise Refused("+CGDCONT's compressions are numbers")
            if len(values) > 6:
                raise Refused("+CGDCONT takes at most six values")
            if len(values) == 1:
                self.contexts.pop(int(values[0]), None)
            else:
                self.contexts[int(values[0])] = values[1:]
        else:
            raise Refused("+CGDCONT without = or ?")

    def _quality(self, kind, arguments, info):
        if kind == "?":
            info.append("+CGQREQ: 1,0,0,0,0,0")
        elif kind == "=?":
            info.append('+CGQREQ: "IP",(0-3),(0-4),(0-5),(0-9),(0-18,31)')
        elif kind == "=":
            # +CGQREQ=[<cid>[,<precedence>[,<delay>[,<reliability>[,<peak>[,<mean>]]]]]]
            values = _values(arguments)
            if len(values) > 6 or any(v and not _is_number(v) for v in values):
                raise Refused("+CGQREQ takes up to six numbers")
        else:
            raise Refused("+CGQREQ without = or ?")


class ModemSimulator:
    """The modem behind dosdevices/<port> of a prefix, served from a thread of this process."""

    def __init__(self, prefix, port="com5", mode="strict", quirks=(), imsi=IMSI):
        if mode not in MODES:
            raise ValueError("mode must be one of " + ", ".join(MODES))
        if set(quirks) - set(QUIRKS):
            raise ValueError("quirks are among " + ", ".join(QUIRKS))
        # Wine looks its dos device names up in lower case.
        self.link = os.path.join(prefix, "dosdevices", port.lower())
        self.mode = mode
        self.quirks = tuple(quirks)
        self.imsi = imsi
        self.modem = Modem(mode, quirks, imsi)
        self.commands = []  # every command line received, with the line's state when it came
        self._lock = threading.Lock()
        self._stop = threading.Event()
        self._thread = None
        self._master = self._slave = None
        self._former_link = None
        self._answered = 0
        self.bytes_heard = self.bytes_sent = 0

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *_):
        self.stop()

    def start(self):
        self._master, self._slave = pty.openpty()
        # The slave stays open here for as long as the modem lives: a pseudo-terminal whose last
        # slave closes hangs up, and the master would read nothing but EIO between two programs.
        tty.setraw(self._slave)
        attributes = termios.tcgetattr(self._slave)
        attributes[4] = attributes[5] = IDLE_SPEED
        termios.tcsetattr(self._slave, termios.TCSANOW, attributes)
        if self.mode == "held":
            fcntl.ioctl(self._slave, termios.TIOCEXCL)
        if os.path.islink(self.link):
            self._former_link = os.readlink(self.link)
            os.unlink(self.link)
        elif os.path.lexists(self.link):
            self._close()
            raise RuntimeError(self.link + " is not a link; it is left alone")
        os.symlink(os.ttyname(self._slave), self.link)
        self._thread = threading.Thread(target=self._serve, daemon=True)
        self._thread.start()

    def stop(self):
        self._stop.set()
        if self._thread:
            self._thread.join()
        if os.path.islink(self.link):
            os.unlink(self.link)
        if self._former_link is not None:
            os.symlink(self._former_link, self.link)
        self._close()

    def _close(self):
        for fd in (self._master, self._slave):
            if fd is not None:
                os.close(fd)
        self._master = self._slave = None

    def line_state(self):
        """The speed, character size, parity, stop bits and RTS/CTS the port is set to now."""
        attributes = termios.tcgetattr(self._slave)
        cflag = attributes[2]
        return {
            "speed": attributes[5],
            "eight_bits": cflag & termios.CSIZE == termios.CS8,
            "parity": bool(cflag & termios.PARENB),
            "two_stop_bits": bool(cflag & termios.CSTOPB),
            "rts_cts": bool(cflag & termios.CRTSCTS),
        }

    def received(self):
        with self._lock:
            return list(self.commands)

    def clear(self):
        with self._lock:
            self.commands.clear()

    def _serve(self):
        pending = b""
        while not self._stop.is_set():
            ready, _, _ = select.select([self._master], [], [], 0.1)
            if not ready:
                continue
            try:
                data = os.read(self._master, 4096)
            except OSError:
                time.sleep(0.05)
                continue
            self.bytes_heard += len(data)
            answers = self.mode not in ("silent", "held")
            if answers and "early" in self.modem.quirks and b"\r" in data:
                # The code the modem had to say when the command came, before its echo.
                self._write(self._framed(["+CREG: 5"], None))
            if answers and self.modem.echo:
                self._write(data)
            pending += data
            while b"\r" in pending:
                raw, pending = pending.split(b"\r", 1)
                self._line(raw.decode("latin-1"), answers)
            if len(pending) > 4096:
                pending = b""  # a line no modem would keep

    def _write(self, data):
        self.bytes_sent += len(data)
        os.write(self._master, data)

    def _framed(self, lines, final):
        """Lines and a final result code as V.250 frames them: each between CR LF in verbose
        mode (V1); in numeric mode (V0) a line ends with CR LF and the code is a digit and CR."""
        if self.modem.verbose:
            out = "".join("\r\n%s\r\n" % line for line in lines)
            return (out + ("\r\n%s\r\n" % final if final else "")).encode("latin-1")
        out = "".join("%s\r\n" % line for line in lines)
        code = {"OK": "0", "ERROR": "4"}.get(final, final)
        return (out + ("%s\r" % code if final else "")).encode("latin-1")

    def _line(self, text, answers):
        # A backspace takes back the character before it, as a terminal user would expect.
        line = ""
        for ch in text:
            line = line[:-1] if ch == "\b" else line + ch
        line = line.strip("\n")
        answer = self.modem.answer(line)
        if answer is None:
            return
        with self._lock:
            self.commands.append((line.strip(), self.line_state()))
        if not answers:
            return
        info, final = answer
        lines = []
        if self._answered % 3 == 2:
            lines.append(UNSOLICITED[(self._answered // 3) % len(UNSOLICITED)])
        self._answered += 1
        if "vendor" in self.modem.quirks:
            lines = [VENDOR_CODES[0]] + lines + info + [VENDOR_CODES[1]]
        else:
            lines += info
        data = self._framed(lines, final)
        if "at-once" in self.modem.quirks:
            self._write(data)
        elif any(len(line) >= 256 for line in lines):
            # A long line comes at the line's speed: its end is still coming when a reader that
            # cut it has gone on to its next command.
            for at in range(0, len(data), 16):
                self._write(data[at:at + 16])
                time.sleep(16 * BYTE_SECONDS)
        else:
            # A real modem's answer comes over the line in pieces; a reader must join them.
            half = len(data) // 2
            self._write(data[:half])
            time.sleep(0.03)
            self._write(data[half:])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--prefix", default=os.environ.get("WINEPREFIX"), required=False)
    parser.add_argument("--port", default="com5")
    parser.add_argument("--mode", choices=MODES, default="strict")
    parser.add_argument("--quirk", choices=QUIRKS, action="append", default=[])
    parser.add_argument("--imsi", default=IMSI, help="the SIM's IMSI, 15 digits")
    arguments = parser.parse_args()
    if not arguments.prefix:
        parser.error("--prefix or WINEPREFIX names the prefix")
    done = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: done.set())
    with ModemSimulator(arguments.prefix, arguments.port, arguments.mode,
                        arguments.quirk, arguments.imsi) as modem:
        print("%s modem on %s" % (arguments.mode, modem.link), flush=True)
        try:
            done.wait()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
