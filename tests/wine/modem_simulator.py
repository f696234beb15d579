#!/usr/bin/env python3
"""A GPRS modem on a pseudo-terminal of this host, seen by a Wine prefix as one of its COM ports.

Wine opens COMn through the prefix's dosdevices/comn link, so linking that name to a pseudo-
terminal's slave is all it takes. The modem answers V.250 command lines with TS 27.007's commands:

  strict   (default) takes only the syntax TS 27.007 gives; +CGDCONT needs its numeric <cid> first
  lenient  the same, but any +CGDCONT is fine
  silent   the port opens, and nothing ever answers
  held     another process holds the port exclusively (TIOCEXCL on the slave); only a process
           without CAP_SYS_ADMIN, and so a wineserver without it, is refused the open

Run on its own, it serves until interrupted:
  modem_simulator.py --prefix WINEPREFIX [--port com5] [--mode strict|lenient|silent|held]
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
# modem's answers must keep both to itself.
IMEI = "356938035643809"
IMSI = "262019876543210"

MODES = ("strict", "lenient", "silent", "held")

# The line's state before any program opens the port, so that a program that changes it and
# restores it can be told from one that leaves it changed.
IDLE_SPEED = termios.B9600

# Unsolicited result codes, one before every third answer. In the order GprsKit asks, the +CGREG
# one comes before the answer to +CGREG?, where a reader that takes the first "+CGREG:" line
# would take the wrong one.
UNSOLICITED = ("RING", "+CREG: 1", "+CGREG: 1")


class Refused(Exception):
    """The command line ends here with ERROR, as V.250 ends a line at its first failing command."""


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

    def __init__(self, mode):
        self.mode = mode
        self.echo = True
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
        except Refused:
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
        elif name in ("Z", "&F"):
            self.echo = True
        elif name not in ("Q", "V", "X", "&C", "&D", "&K", "H"):
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
            "+CGMM": ["GPRS-SIM 1"],
            "+CGMR": ["1.0.7"],
            "+CGSN": [IMEI],
            "+CIMI": [IMSI],
            "+CSQ": ["+CSQ: 20,99"],
        }
        if name in plain and kind == "":
            info.extend(plain[name])
        elif name == "+CSQ" and kind == "=?":
            info.append("+CSQ: (0-31,99),(0-7,99)")
        elif name == "+CPIN" and kind == "?":
            info.append("+CPIN: READY")
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

    def __init__(self, prefix, port="com5", mode="strict"):
        if mode not in MODES:
            raise ValueError("mode must be one of " + ", ".join(MODES))
        # Wine looks its dos device names up in lower case.
        self.link = os.path.join(prefix, "dosdevices", port.lower())
        self.mode = mode
        self.modem = Modem(mode)
        self.commands = []  # every command line received, with the line's state when it came
        self._lock = threading.Lock()
        self._stop = threading.Event()
        self._thread = None
        self._master = self._slave = None
        self._former_link = None
        self._answered = 0

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
            answers = self.mode not in ("silent", "held")
            if answers and self.modem.echo:
                os.write(self._master, data)
            pending += data
            while b"\r" in pending:
                raw, pending = pending.split(b"\r", 1)
                self._line(raw.decode("latin-1"), answers)
            if len(pending) > 4096:
                pending = b""  # a line no modem would keep

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
        out = ""
        if self._answered % 3 == 2:
            out += "\r\n%s\r\n" % UNSOLICITED[(self._answered // 3) % len(UNSOLICITED)]
        self._answered += 1
        for text_line in info:
            out += "\r\n%s\r\n" % text_line
        out += "\r\n%s\r\n" % final
        # A real modem's answer comes over the line in pieces; a reader must join them.
        data = out.encode("latin-1")
        half = len(data) // 2
        os.write(self._master, data[:half])
        time.sleep(0.03)
        os.write(self._master, data[half:])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--prefix", default=os.environ.get("WINEPREFIX"), required=False)
    parser.add_argument("--port", default="com5")
    parser.add_argument("--mode", choices=MODES, default="strict")
    arguments = parser.parse_args()
    if not arguments.prefix:
        parser.error("--prefix or WINEPREFIX names the prefix")
    done = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: done.set())
    with ModemSimulator(arguments.prefix, arguments.port, arguments.mode) as modem:
        print("%s modem on %s" % (arguments.mode, modem.link), flush=True)
        try:
            done.wait()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
