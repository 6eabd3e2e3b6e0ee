#!/usr/bin/env python3
"""Checks the bill of materials that scripts/package writes.

check_sbom.py SPDX-JSON COMMIT: valid JSON with the fields SPDX 2.3 requires,
the product with its version and source commit, the toolchain and the
statically linked runtime as Debian packages with versions, and a SHA-256
for every shipped file that matches the file beside it.
"""
import hashlib
import json
import os
import re
import sys

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def main():
    path, commit = sys.argv[1], sys.argv[2]
    with open(path) as f:
        doc = json.load(f)
    build = os.path.dirname(os.path.abspath(path))
    for field in ("spdxVersion", "dataLicense", "SPDXID", "name", "documentNamespace", "creationInfo", "packages"):
        check(field in doc, "document lacks " + field)
    check(doc.get("spdxVersion") == "SPDX-2.3", "spdxVersion is not SPDX-2.3")
    check(doc.get("dataLicense") == "CC0-1.0", "dataLicense is not CC0-1.0")
    check(doc.get("SPDXID") == "SPDXRef-DOCUMENT", "document SPDXID")
    check(re.match(r"^[a-z]+://", doc.get("documentNamespace", "")) is not None, "documentNamespace is no URI")
    info = doc.get("creationInfo", {})
    check(re.match(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$", info.get("created", "")) is not None, "created")
    check(bool(info.get("creators")), "creators")

    ids = set()
    for element in doc.get("packages", []) + doc.get("files", []):
        sid = element.get("SPDXID", "")
        check(re.match(r"^SPDXRef-[A-Za-z0-9.-]+$", sid) is not None, "bad SPDXID " + sid)
        check(sid not in ids, "duplicate SPDXID " + sid)
        ids.add(sid)
    for package in doc.get("packages", []):
        for field in ("name", "downloadLocation", "SPDXID"):
            check(field in package, "package %s lacks %s" % (package.get("name"), field))
    for relation in doc.get("relationships", []):
        for end in (relation.get("spdxElementId"), relation.get("relatedSpdxElement")):
            check(end in ids or end == "SPDXRef-DOCUMENT", "relationship names unknown " + str(end))

    products = [p for p in doc["packages"] if p.get("name") == "Kestrane Workstation Screen Saver"]
    check(len(products) == 1, "one product package")
    if products:
        product = products[0]
        check(bool(product.get("versionInfo")), "product version")
        check(commit in product.get("sourceInfo", ""), "product names the source commit")
        check(set(product.get("hasFiles", [])) == {f["SPDXID"] for f in doc.get("files", [])}, "hasFiles")
        sha1s = sorted(next(c["checksumValue"] for c in f["checksums"] if c["algorithm"] == "SHA1")
                       for f in doc.get("files", []))
        code = hashlib.sha1("".join(sha1s).encode()).hexdigest()
        check(product.get("packageVerificationCode", {}).get("packageVerificationCodeValue") == code,
              "package verification code")

    debs = [p for p in doc["packages"] if p.get("supplier") == "Organization: Debian"]
    names = " ".join(p["name"] for p in debs)
    for needed in ("g++-mingw-w64-x86-64", "g++-mingw-w64-i686", "binutils-mingw-w64-x86-64", "mingw-w64-x86-64-dev",
                   "wixl"):
        check(needed in names, "toolchain package " + needed)
    for deb in debs:
        check(bool(deb.get("versionInfo")), "version of " + deb["name"])
    statics = {r["relatedSpdxElement"] for r in doc.get("relationships", []) if r["relationshipType"] == "STATIC_LINK"}
    comments = " ".join(p.get("comment", "") for p in debs if p["SPDXID"] in statics)
    for library in ("C++ standard library", "GCC runtime", "MinGW-w64"):
        check(library in comments, "statically linked " + library)

    shipped = {f["fileName"] for f in doc.get("files", [])}
    for name in ("./signed/win64/kestrane.scr", "./signed/win32/kestrane.scr", "./kestrane.msi", "./kestrane-x86.msi"):
        check(name in shipped, "shipped file " + name)
    for f in doc.get("files", []):
        local = os.path.join(build, f["fileName"])
        sha256 = next((c["checksumValue"] for c in f["checksums"] if c["algorithm"] == "SHA256"), None)
        if not os.path.exists(local):
            failures.append("missing " + local)
            continue
        with open(local, "rb") as data:
            check(hashlib.sha256(data.read()).hexdigest() == sha256, "digest of " + f["fileName"])

    for failure in failures:
        print("sbom: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
