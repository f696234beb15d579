#!/usr/bin/env python3
"""Writes the kit's operator table, a C++ source of constant data, from the mobile broadband
provider database's serviceproviders.xml (Debian's mobile-broadband-provider-info).

  make_operator_table.py --xml serviceproviders.xml --out operator_table_data.cpp [--version V]

Only what GprsKit needs goes into the table: for each GSM operator with a network code, its name,
its network codes (MCC and an MNC of two or three digits, in the database's order) and its APNs
with their usage, user name and password. An APN the kit could not write into the init string (a
URL, a blank inside it) is left out and counted on the standard output.
"""

import argparse
import gzip
import re
import sys
import unicodedata
import xml.etree.ElementTree as ElementTree

# The kit's own rule for an APN it writes (gprskit/input_rules.cpp): labels of letters, digits,
# '-', '.' and '_', at most 100 characters.
PLAIN_APN = re.compile(r"[A-Za-z0-9._-]{0,100}")
# The usages the tool tells apart; the database's others ("wap", "ia") count as "other".
USAGES = {"internet": "kInternet", "mms": "kMms"}
LANG = "{http://www.w3.org/XML/1998/namespace}lang"


def ascii_text(text):
    """The text as the console shows it, in ASCII: accents dropped, other scripts gone."""
    text = unicodedata.normalize("NFKD", text or "")
    return "".join(c for c in text if " " <= c <= "~").strip()


def operator_name(provider, country):
    names = provider.findall("name")
    for name in sorted(names, key=lambda n: n.get(LANG) not in (None, "en")):
        text = ascii_text(name.text)
        if text:
            return text
    # A name only in a script the console cannot show.
    return "an operator in " + country.upper() + " (its name is not in Latin letters)"


def read(xml_path):
    root = ElementTree.parse(xml_path).getroot()
    operators, left_out = [], []
    for country in root.findall("country"):
        for provider in country.findall("provider"):
            gsm = provider.find("gsm")
            if gsm is None:
                continue
            codes = []
            for network in gsm.findall("network-id"):
                mcc, mnc = network.get("mcc", ""), network.get("mnc", "")
                if not re.fullmatch(r"\d{3}", mcc) or not re.fullmatch(r"\d{2,3}", mnc):
                    raise SystemExit("%s: network code %r %r is not MCC and MNC" %
                                     (xml_path, mcc, mnc))
                if (mcc, mnc) not in codes:
                    codes.append((mcc, mnc))
            if not codes:
                continue  # no SIM can name it
            apns = []
            for apn in gsm.findall("apn"):
                value = apn.get("value", "").strip()
                if not PLAIN_APN.fullmatch(value):
                    left_out.append(value)
                    continue
                usage = apn.find("usage")
                # An APN without a usage is the operator's data APN, as the database's users
                # read it; one for several ("mms-internet-hipri", as AT&T's all are) serves the
                # internet too.
                kinds = ["internet"] if usage is None else usage.get("type", "").split("-")
                kind = "internet" if "internet" in kinds else "mms" if "mms" in kinds else ""
                user = ascii_text(apn.findtext("username"))
                password = ascii_text(apn.findtext("password"))
                apns.append((value, USAGES.get(kind, "kOther"), user, password))
            operators.append((operator_name(provider, country.get("code", "")), codes, apns))
    return operators, left_out


def database_version(changelog):
    try:
        with gzip.open(changelog, "rt", encoding="utf-8") as log:
            found = re.match(r"\S+ \(([^)]+)\)", log.readline())
            return found.group(1) if found else "unknown"
    except OSError:
        return "unknown"


class Pool:
    """Every text once, each ended by its NUL, found by its offset; "" at offset 0."""

    def __init__(self):
        self.offsets, self.texts, self.size = {}, [], 0
        self.add("")

    def add(self, text):
        if text not in self.offsets:
            self.offsets[text] = self.size
            self.texts.append(text)
            self.size += len(text) + 1
        return self.offsets[text]


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '\\0"'


def write(out_path, operators, version):
    pool = Pool()
    networks, table, apns = [], [], []
    for index, (name, codes, operator_apns) in enumerate(operators):
        table.append((pool.add(name), len(apns), len(operator_apns)))
        for value, usage, user, password in operator_apns:
            apns.append((pool.add(value), pool.add(user), pool.add(password), usage))
        for mcc, mnc in codes:
            networks.append((int(mcc), int(mnc), len(mnc), index))
    if pool.size > 0xFFFF or len(apns) > 0xFFFF or max(len(o[2]) for o in operators) > 0xFF:
        raise SystemExit("the table outgrows its 16-bit offsets: widen OperatorTable's fields")
    lines = [
        "// Made by scripts/make_operator_table.py from serviceproviders.xml of",
        "// mobile-broadband-provider-info %s; made anew by every build, never edited." % version,
        '#include "operator_table.h"',
        "",
        "namespace operator_table {",
        "",
        'extern const char kDatabaseVersion[] = "%s";' % version,
        "",
        "extern const char kText[] =",
    ]
    lines += ["    " + quoted(text) for text in pool.texts]
    lines[-1] += ";"
    lines += ["", "extern const Network kNetworks[] = {"]
    lines += ["    {%d, %d, %d, %d}," % network for network in networks]
    lines += ["};", "extern const Operator kOperators[] = {"]
    lines += ["    {%d, %d, %d}," % entry for entry in table]
    lines += ["};", "extern const Apn kApns[] = {"]
    lines += ["    {%d, %d, %d, Usage::%s}," % apn for apn in apns]
    lines += [
        "};",
        "extern const unsigned kNetworkCount = %d;" % len(networks),
        "extern const unsigned kOperatorCount = %d;" % len(table),
        "extern const unsigned kApnCount = %d;" % len(apns),
        "",
        "}  // namespace operator_table",
        "",
    ]
    text = "\n".join(lines)
    try:
        with open(out_path, encoding="ascii") as old:
            if old.read() == text:
                return  # unchanged: nothing to compile again
    except OSError:
        pass
    with open(out_path, "w", encoding="ascii") as out:
        out.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--xml", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--changelog",
                        default="/usr/share/doc/mobile-broadband-provider-info/changelog.Debian.gz")
    arguments = parser.parse_args()
    operators, left_out = read(arguments.xml)
    if not operators:
        raise SystemExit(arguments.xml + " names no GSM operator")
    write(arguments.out, operators, database_version(arguments.changelog))
    print("operator table: %d operators, %d APNs left out as no plain APN: %s" %
          (len(operators), len(left_out), ", ".join(repr(v) for v in left_out)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
