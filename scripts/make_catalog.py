#!/usr/bin/env python3
"""Makes the driver package's catalog, unsigned, from its INF.
  make_catalog.py INF OS-ATTR OUT
A catalog is a PKCS #7 SignedData whose content is a certificate trust list: one entry per file of
the package, tagged by the file's hash, and catalog-wide name-value attributes. The package has one
file, the INF. osslsigncode adds the signature afterwards.

The hash is SHA-1, the only one every Windows the kit supports verifies in a catalog: Windows 7 and
older cannot check a SHA-256 catalog ("Catalog version 2 is not supported on Windows Server 2008 R2
or Windows 7", https://learn.microsoft.com/powershell/module/microsoft.powershell.security/new-filecatalog),
and Windows 7 SP1 learnt SHA-2 code signing only from a 2019 update
(https://support.microsoft.com/help/4472027). For a file that is not a PE image Windows hashes the
whole file, byte for byte.
"""
import datetime
import hashlib
import os
import sys

from asn1crypto import algos, cms, core

CTL = "1.3.6.1.4.1.311.10.1"
CATALOG_LIST = "1.3.6.1.4.1.311.12.1.1"
CATALOG_LIST_MEMBER = "1.3.6.1.4.1.311.12.1.2"
CAT_NAMEVALUE = "1.3.6.1.4.1.311.12.2.1"
CAT_MEMBERINFO = "1.3.6.1.4.1.311.12.2.2"
SPC_INDIRECT_DATA = "1.3.6.1.4.1.311.2.1.4"
# What the indirect data says it hashed: the file as it is, not a PE image.
SPC_CAB_DATA = "1.3.6.1.4.1.311.2.1.25"
# The flags CryptCATPutAttrInfo documents: authenticated, name and value as plain text.
ATTR_FLAGS = 0x10010001
# The subject interface package of a flat file, which Windows hashes as the bytes it holds, and the
# version every member of a catalog made by Windows' own tools carries beside it.
FLAT_FILE_SIP = "{DE351A42-8E59-11D0-8C47-00C04FC295EE}"
MEMBER_CERT_VERSION = 512


class CatNameValue(core.Sequence):
    _fields = [("tag", core.BMPString), ("flags", core.Integer), ("value", core.OctetString)]


class CatMemberInfo(core.Sequence):
    _fields = [("subject_guid", core.BMPString), ("cert_version", core.Integer)]


class SpcAttributeTypeAndOptionalValue(core.Sequence):
    _fields = [("type", core.ObjectIdentifier), ("value", core.Any, {"optional": True})]


class SpcIndirectDataContent(core.Sequence):
    _fields = [("data", SpcAttributeTypeAndOptionalValue), ("message_digest", algos.DigestInfo)]


class AnySet(core.SetOf):
    _child_spec = core.Any


class Attribute(core.Sequence):
    _fields = [("type", core.ObjectIdentifier), ("values", AnySet)]


class Attributes(core.SetOf):
    _child_spec = Attribute


class TrustedSubject(core.Sequence):
    _fields = [("identifier", core.OctetString), ("attributes", Attributes)]


class TrustedSubjects(core.SequenceOf):
    _child_spec = TrustedSubject


class Extension(core.Sequence):
    _fields = [("id", core.ObjectIdentifier), ("critical", core.Boolean, {"default": False}),
               ("value", core.OctetString)]


class Extensions(core.SequenceOf):
    _child_spec = Extension


class Usages(core.SequenceOf):
    _child_spec = core.ObjectIdentifier


class CertificateTrustList(core.Sequence):
    _fields = [
        ("subject_usage", Usages),
        ("list_identifier", core.OctetString),
        ("this_update", core.UTCTime),
        ("subject_algorithm", algos.DigestAlgorithm),
        ("subjects", TrustedSubjects),
        ("extensions", Extensions, {"explicit": 0}),
    ]


# asn1crypto parses and encodes a content type it is told of, inside its [0] like any other.
cms.ContentType._map[CTL] = "certificate_trust_list"
cms.ContentInfo._oid_specs["certificate_trust_list"] = CertificateTrustList


def wide(text):
    """A string as Windows stores one in a catalog: UTF-16LE with its terminating NUL."""
    return (text + "\0").encode("utf-16-le")


def name_value(name, value):
    return CatNameValue({"tag": name, "flags": ATTR_FLAGS, "value": wide(value)})


def attribute(oid, value):
    return Attribute({"type": oid, "values": [core.Any(value)]})


def catalog(inf_name, inf_bytes, os_attr, now):
    digest = hashlib.sha1(inf_bytes).digest()
    sha1 = algos.DigestAlgorithm({"algorithm": "sha1", "parameters": core.Null()})
    indirect = SpcIndirectDataContent({
        "data": {"type": SPC_CAB_DATA},
        "message_digest": {"digest_algorithm": sha1, "digest": digest},
    })
    member = TrustedSubject({
        # Windows finds a flat file's entry by the hex of its hash.
        "identifier": wide(digest.hex().upper()),
        # The member info too, which a catalog reader takes to be there: Wine's lists no member
        # without it.
        "attributes": [attribute(SPC_INDIRECT_DATA, indirect),
                       attribute(CAT_MEMBERINFO, CatMemberInfo({
                           "subject_guid": FLAT_FILE_SIP, "cert_version": MEMBER_CERT_VERSION})),
                       attribute(CAT_NAMEVALUE, name_value("File", inf_name))],
    })
    ctl = CertificateTrustList({
        "subject_usage": [CATALOG_LIST],
        "list_identifier": os.urandom(16),
        "this_update": now,
        "subject_algorithm": {"algorithm": CATALOG_LIST_MEMBER, "parameters": core.Null()},
        "subjects": [member],
        "extensions": [{"id": CAT_NAMEVALUE, "value": name_value("OSAttr", os_attr).dump()}],
    })
    # Unsigned: no certificates and no signers yet, which the signing step adds.
    signed = cms.SignedData({
        "version": "v1",
        "digest_algorithms": [sha1],
        "encap_content_info": {"content_type": CTL, "content": ctl},
        "signer_infos": [],
    })
    return cms.ContentInfo({"content_type": "signed_data", "content": signed})


def main(argv):
    if len(argv) != 4:
        sys.exit(__doc__)
    inf, os_attr, out = argv[1:]
    with open(inf, "rb") as file:
        inf_bytes = file.read()
    # A reproducible build names its moment; otherwise the catalog is made now.
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", datetime.datetime.now().timestamp()))
    now = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).replace(microsecond=0)
    with open(out, "wb") as file:
        file.write(catalog(os.path.basename(inf), inf_bytes, os_attr, now).dump())


if __name__ == "__main__":
    main(sys.argv)
