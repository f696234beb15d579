"""The kit's catalog: signed (osslsigncode, which hashes no INF, checks the signature), listing one
member, the kit's INF by its SHA-1, and the OSAttr; every program of the kit, every installer and
the uninstaller each carries are signed by the catalog's signer; no private key in the kit, build
or installers.
  check-catalog.py KIT-DIR BUILD-DIR SEVEN-ZIP [--paired KIT32-CERT] [--organisation PEM] [INSTALLER...]
An installer that carries both kits holds the 32-bit kit as its own build signed it: KIT32-CERT.
A kit signed with an organisation's certificate (PEM: it and its chain up to the root) carries no
certificate of its own."""
import hashlib, os, re, subprocess, sys, tempfile  # noqa: E401

from asn1crypto import cms, pem

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import make_catalog as mc  # noqa: E402  (its types, and the list's content type registered)

SUPPORTED = "5.0 5.1 5.2 6.0 6.1 6.2 6.3 10.0".split()  # 2000 to 11, which reports 10.0
# PEM private keys of any kind; DER PKCS #8 (RSA, EC) and PKCS #1 RSA keys by their opening bytes.
KEY = re.compile(rb"PRIVATE KEY-----|\x30\x82..\x02\x01\x00(?:\x30.\x06(?:\x09\x2a\x86\x48\x86\xf7"
                 rb"\x0d\x01\x01\x01|\x07\x2a\x86\x48\xce\x3d\x02\x01)|\x02\x82..\x00)", re.DOTALL)


def wide(value):
    return value.native.decode("utf-16-le").rstrip("\0")


def names(values):
    return {v["tag"].native: wide(v["value"]) for v in map(mc.CatNameValue.load, values)}


def faults(signed, inf):
    """What keeps the signed list from naming exactly this INF, for every supported Windows."""
    ctl, digest = signed["encap_content_info"]["content"], hashlib.sha1(inf).digest()
    found = [] if [s["digest_algorithm"]["algorithm"].native for s in signed["signer_infos"]] \
        == ["sha1"] else ["not one signer with SHA-1"]
    if (ctl["subject_usage"].native, ctl["subject_algorithm"]["algorithm"].dotted) != \
            ([mc.CATALOG_LIST], mc.CATALOG_LIST_MEMBER) or len(ctl["subjects"]) != 1:
        return found + ["not a catalog's list of one member"]
    member = ctl["subjects"][0]
    attrs = {a["type"].dotted: [v.dump() for v in a["values"]] for a in member["attributes"]}
    indirect = [mc.SpcIndirectDataContent.load(v)["message_digest"].native
                for v in attrs.get(mc.SPC_INDIRECT_DATA, [])]
    os_attr = names([e["value"].native for e in ctl["extensions"]
                     if e["id"].dotted == mc.CAT_NAMEVALUE]).get("OSAttr", "")
    return found + [f for f, bad in [
        ("the member's tag is not the INF's hash", wide(member["identifier"]) != digest.hex().upper()),
        ("no SHA-1 of the INF in the member's indirect data",
         indirect != [{"digest_algorithm": {"algorithm": "sha1", "parameters": None}, "digest": digest}]),
        ("the member is not named wwandev.inf", names(attrs.get(mc.CAT_NAMEVALUE, [])) != {"File": "wwandev.inf"}),
        # Without it a catalog reader refuses the member as incomplete, as Wine's does.
        ("the member has no member info of a flat file",
         [mc.CatMemberInfo.load(v).native for v in attrs.get(mc.CAT_MEMBERINFO, [])]
         != [{"subject_guid": mc.FLAT_FILE_SIP, "cert_version": 512}]),
        (f"OSAttr '{os_attr}' misses a supported Windows", sorted(os_attr.split(",")) != sorted("2:" + v for v in SUPPORTED)),
    ] if bad]


def verifies(data, certificates, scratch):
    """Whether `data` is signed by one of `certificates` (a DER one, or a list of them)."""
    with open(os.path.join(scratch, "f"), "wb") as f, open(os.path.join(scratch, "c.pem"), "wb") as p:
        f.write(data)
        for certificate in certificates if isinstance(certificates, list) else [certificates]:
            p.write(pem.armor("CERTIFICATE", certificate))
    return subprocess.run(["osslsigncode", "verify", "-in", f.name, "-CAfile", p.name],
                          capture_output=True).returncode == 0


def unsigned(folder, certificates, scratch):
    """The programs in `folder` whose signature is missing or not a signer's."""
    return [f"{os.path.join(folder, n)} is not signed by the catalog's signer"
            for n in sorted(os.listdir(folder)) if n.lower().endswith((".exe", ".dll"))
            and not verifies(open(os.path.join(folder, n), "rb").read(), certificates, scratch)]


def main(kit, build, seven_zip, *installers):
    paired, organisation = [], None
    if installers[:1] == ("--paired",):
        paired, installers = [open(installers[1], "rb").read()], installers[2:]
    if installers[:1] == ("--organisation",):
        organisation, installers = open(installers[1], "rb").read(), installers[2:]
    inf, cat = (open(os.path.join(kit, "wwandev." + x), "rb").read() for x in ("inf", "cat"))
    # The signer's certificate, which only a kit signed by its own build carries.
    cer = open(os.path.join(build, "catalog", "wwandev.cer"), "rb").read()
    if organisation:
        cer = [der for _, _, der in pem.unarmor(organisation, multiple=True)]
    signed, at = cms.ContentInfo.load(cat)["content"], cat.find(hashlib.sha1(inf).digest())
    program = open(os.path.join(kit, "GprsKit.exe"), "rb").read()
    with tempfile.TemporaryDirectory() as scratch:
        found = faults(signed, inf) + unsigned(kit, cer, scratch) + [f for f, bad in [
            ("the catalog's signature does not verify", not verifies(cat, cer, scratch)),
            ("the signature does not cover the INF's hash",
             at < 0 or verifies(cat[:at] + bytes([cat[at] ^ 1]) + cat[at + 1:], cer, scratch)),
            ("an INF changed by one byte is in the catalog", not faults(signed, inf[:-1] + bytes([inf[-1] ^ 1]))),
            ("a program changed by one byte still verifies",
             verifies(program[:1024] + bytes([program[1024] ^ 1]) + program[1025:], cer, scratch)),
            ("the kit's certificate is not the signer's", not organisation and
             open(os.path.join(kit, "wwandev.cer"), "rb").read() != cer),
            ("a kit signed by an organisation carries a certificate to trust",
             organisation and os.path.exists(os.path.join(kit, "wwandev.cer"))),
        ] if bad]
        for installer in installers:
            unpacked = os.path.join(scratch, os.path.basename(installer))
            # -aou keeps both kits' files of an installer that carries both, under other names.
            if subprocess.run([seven_zip, "e", "-aou", "-o" + unpacked, installer], capture_output=True).returncode:
                found.append(f"7z cannot unpack {installer}")
                continue
            found += unsigned(unpacked, (cer if organisation else [cer]) + paired, scratch) + [f"{installer} is not signed by the catalog's signer"
                                                          for _ in [0] if not verifies(open(installer, "rb").read(), cer, scratch)]
            if "Uninstall.exe" not in os.listdir(unpacked):
                found.append(f"{installer} carries no uninstaller to check")
            found += [f"a private key in {installer}" for n in os.listdir(unpacked)
                      if KEY.search(open(os.path.join(unpacked, n), "rb").read())]
    for folder, _, files in (w for root in (kit, build) for w in os.walk(root)):
        found += [f"a private key in {p}" for p in (os.path.join(folder, n) for n in files)
                  if not os.path.islink(p) and KEY.search(open(p, "rb").read())]
    print("\n".join(["FAILED: " + f for f in found] + ["catalog and signatures: " + ("failed" if found else "ok")]))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]) if len(sys.argv) >= 4 else __doc__)
