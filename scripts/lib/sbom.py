#!/usr/bin/env python3
"""Writes the SPDX 2.3 bill of materials (JSON) of a packaged build.

sbom.py OUT VERSION COMMIT CREATED FILE...

FILE is a path under the build folder of a shipped file: the signed programs
and the installer packages. The toolchain and the statically linked runtime
libraries are read from the Debian packages that provide them.
"""
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys

ARCHES = {"x64": "x86_64-w64-mingw32", "x86": "i686-w64-mingw32"}


def run(*args):
    return subprocess.run(args, capture_output=True, text=True, check=False).stdout.strip()


def owning_package(path):
    """The Debian package that installed path, and its version."""
    real = os.path.realpath(path)
    for candidate in (path, real):
        out = run("dpkg-query", "-S", candidate)
        if out:
            name = out.split(":")[0].split(",")[0].strip()
            version = run("dpkg-query", "-W", "-f=${Version}", name)
            return name, version
    return None, None


def spdx_id(text):
    return re.sub(r"[^A-Za-z0-9.-]", "-", text)


def digest(path, algorithm):
    h = hashlib.new(algorithm)
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 16), b""):
            h.update(block)
    return h.hexdigest()


def deb_package(name, version, purpose, comment):
    return {
        "SPDXID": "SPDXRef-Package-deb-" + spdx_id(name),
        "name": name,
        "versionInfo": version,
        "supplier": "Organization: Debian",
        "downloadLocation": "NOASSERTION",
        "filesAnalyzed": False,
        "licenseConcluded": "NOASSERTION",
        "licenseDeclared": "NOASSERTION",
        "copyrightText": "NOASSERTION",
        "primaryPackagePurpose": purpose,
        "comment": comment,
        "externalRefs": [{
            "referenceCategory": "PACKAGE-MANAGER",
            "referenceType": "purl",
            "referenceLocator": "pkg:deb/debian/%s@%s?arch=amd64" % (name, version),
        }],
    }


def main():
    out, version, commit, created = sys.argv[1:5]
    shipped = sys.argv[5:]
    build = os.path.dirname(os.path.abspath(out))
    product_id = "SPDXRef-Package-kestrane"
    packages, relationships, files = {}, [], []

    def add_deb(path, purpose, comment, relationship):
        name, ver = owning_package(path)
        if name is None:
            return
        package = packages.get(name)
        if package is None:
            package = packages[name] = deb_package(name, ver, purpose, comment)
        else:
            package["comment"] += "; " + comment
        relationships.append({"spdxElementId": package["SPDXID"] if relationship == "BUILD_TOOL_OF" else product_id,
                              "relationshipType": relationship,
                              "relatedSpdxElement": product_id if relationship == "BUILD_TOOL_OF" else package["SPDXID"]})

    for arch, triplet in ARCHES.items():
        compiler = shutil.which(triplet + "-g++")
        if compiler is None:
            continue
        add_deb(compiler, "APPLICATION", "C++ compiler (%s)" % arch, "BUILD_TOOL_OF")
        add_deb(shutil.which(triplet + "-ld") or "", "APPLICATION", "binutils: linker (%s)" % arch, "BUILD_TOOL_OF")
        add_deb(shutil.which(triplet + "-windres") or "", "APPLICATION", "windres resource compiler (%s)" % arch,
                "BUILD_TOOL_OF")
        for library, comment in (("libstdc++.a", "C++ standard library"), ("libgcc.a", "GCC runtime"),
                                 ("libgcc_eh.a", "GCC exception unwinding"),
                                 ("libmingwex.a", "MinGW-w64 runtime extensions"),
                                 ("crt2.o", "MinGW-w64 start-up code")):
            path = run(compiler, "-print-file-name=" + library)
            if os.path.isabs(path) and os.path.exists(path):
                add_deb(path, "LIBRARY", "%s, statically linked (%s)" % (comment, arch), "STATIC_LINK")
    for tool, comment in (("wixl", "installer package builder"), ("osslsigncode", "Authenticode signing")):
        path = shutil.which(tool)
        if path:
            add_deb(path, "APPLICATION", comment, "BUILD_TOOL_OF")

    sha1s = []
    for path in shipped:
        relative = "./" + os.path.relpath(os.path.abspath(path), build)
        file_id = "SPDXRef-File-" + spdx_id(relative[2:])
        sha1 = digest(path, "sha1")
        sha1s.append(sha1)
        files.append({
            "SPDXID": file_id,
            "fileName": relative,
            "checksums": [{"algorithm": "SHA256", "checksumValue": digest(path, "sha256")},
                          {"algorithm": "SHA1", "checksumValue": sha1}],
            "fileTypes": ["BINARY"],
            "licenseConcluded": "NOASSERTION",
            "copyrightText": "NOASSERTION",
        })
        relationships.append({"spdxElementId": product_id, "relationshipType": "CONTAINS",
                              "relatedSpdxElement": file_id})
    verification = hashlib.sha1("".join(sorted(sha1s)).encode()).hexdigest()

    product = {
        "SPDXID": product_id,
        "name": "Kestrane Workstation Screen Saver",
        "versionInfo": version,
        "supplier": "Organization: Varnel",
        "originator": "Organization: Varnel",
        "homepage": "http://www.varnel.example",
        "downloadLocation": "NOASSERTION",
        "sourceInfo": "built from source commit " + commit,
        "filesAnalyzed": True,
        "hasFiles": [f["SPDXID"] for f in files],
        "packageVerificationCode": {"packageVerificationCodeValue": verification},
        "licenseConcluded": "NOASSERTION",
        "licenseDeclared": "NOASSERTION",
        "licenseInfoFromFiles": ["NOASSERTION"],
        "copyrightText": "NOASSERTION",
        "primaryPackagePurpose": "APPLICATION",
        "externalRefs": [{"referenceCategory": "PERSISTENT-ID", "referenceType": "gitoid",
                          "referenceLocator": "gitoid:commit:sha1:" + commit}],
    }
    document = {
        "spdxVersion": "SPDX-2.3",
        "dataLicense": "CC0-1.0",
        "SPDXID": "SPDXRef-DOCUMENT",
        "name": "kestrane-workstation-%s" % version,
        "documentNamespace": "http://www.varnel.example/spdx/kestrane-workstation-%s-%s" % (version, commit),
        "creationInfo": {"created": created, "creators": ["Organization: Varnel", "Tool: kestrane-scripts-package"]},
        "documentDescribes": [product_id],
        "packages": [product] + sorted(packages.values(), key=lambda p: p["name"]),
        "files": files,
        "relationships": [{"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES",
                           "relatedSpdxElement": product_id}] + relationships,
    }
    with open(out, "w") as f:
        json.dump(document, f, indent=2, sort_keys=False)
        f.write("\n")


if __name__ == "__main__":
    main()
