#!/usr/bin/env python3
"""mkinstall --winget as a packager runs it: the manifest sets of the demo
application and of another application with accented names validate against
winget's published schemas, describe the installer just written (its SHA-256,
its width, its elevation), and map every exit code of the installer.

  winget_manifests.py --mkinstall <mkinstall> --source <repository> --work <scratch>

The schemas are looked for in ../shared/winget-schemas/v1.10.0 beside the
repository; their absence fails the test."""

import argparse
import hashlib
import json
import os
import re
import shutil
import struct
import subprocess
import sys

import jsonschema
import yaml

SCHEMAS = {"version": "manifest.version.1.10.0.json",
           "installer": "manifest.installer.1.10.0.json",
           "defaultLocale": "manifest.defaultLocale.1.10.0.json"}
HEADER = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.{}.1.10.0.schema.json\n"

# What winget must answer to each exit code of the installer.
EXPECTED_RETURN_CODES = {1: "contactSupport", 2: "cancelledByUser", 3: "contactSupport",
                         4: "invalidParameter", 5: "downgrade", 6: "installInProgress"}


def stub(machine, application_manifest):
    """A minimal program for `machine` whose only resource is the application
    manifest, as the real stub carries it: PE32 for x86, PE32+ for x64."""
    plus = machine == 0x8664
    tree = bytearray(0x58)
    struct.pack_into("<12xHHII", tree, 0x00, 0, 1, 24, 0x80000018)    # type RT_MANIFEST
    struct.pack_into("<12xHHII", tree, 0x18, 0, 1, 1, 0x80000030)     # name 1
    struct.pack_into("<12xHHII", tree, 0x30, 0, 1, 0x409, 0x48)       # language
    struct.pack_into("<IIII", tree, 0x48, 0x2058, len(application_manifest), 0, 0)
    tree += application_manifest
    tree += bytes(-len(tree) % 0x200)
    image = bytearray(0x400)
    image[0:2] = b"MZ"
    struct.pack_into("<I", image, 0x3C, 0x40)
    struct.pack_into("<I", image, 0x40, 0x4550)
    coff, optional_size = 0x44, 240 if plus else 224
    struct.pack_into("<HH12xHH", image, coff, machine, 2, optional_size, 0x0102)
    optional = coff + 20
    struct.pack_into("<H", image, optional, 0x20B if plus else 0x10B)
    struct.pack_into("<IIII", image, optional + 32, 0x1000, 0x200, 0, 0)
    struct.pack_into("<II", image, optional + 56, 0x2000 + (len(tree) + 0xFFF) // 0x1000 * 0x1000, 0x200)
    directories = optional + (112 if plus else 96)
    struct.pack_into("<I", image, directories - 4, 16)
    struct.pack_into("<II", image, directories + 16, 0x2000, len(tree))
    sections = optional + optional_size
    struct.pack_into("<8sIIII", image, sections, b".text", 0x200, 0x1000, 0x200, 0x200)
    struct.pack_into("<8sIIII", image, sections + 40, b".rsrc", len(tree), 0x2000, len(tree), 0x400)
    return bytes(image + tree)


def run(mkinstall, *arguments, expected=0):
    result = subprocess.run([mkinstall, *arguments], capture_output=True, text=True)
    if result.returncode != expected:
        sys.exit(f"mkinstall {' '.join(arguments)}: exit {result.returncode}, expected {expected}\n"
                 f"{result.stdout}{result.stderr}")
    return result.stderr


def check(condition, message):
    if not condition:
        sys.exit(message)


def check_set(folder, installer, identifier, schemas, expected):
    """The three files of `identifier` in `folder`, against the schemas and
    against what `expected` says of the application and its installer."""
    documents = {}
    for kind, name in (("version", f"{identifier}.yaml"), ("installer", f"{identifier}.installer.yaml"),
                       ("defaultLocale", f"{identifier}.locale.fr-FR.yaml")):
        path = os.path.join(folder, name)
        check(os.path.isfile(path), f"mkinstall wrote no {path}; the folder holds {sorted(os.listdir(folder))}")
        with open(path, "rb") as file:
            text = file.read().decode("utf-8")  # the files must be UTF-8
        check(text.startswith(HEADER.format(kind)), f"{name} does not start with the schema line:\n{text}")
        document = yaml.safe_load(text)
        errors = sorted(jsonschema.Draft7Validator(schemas[kind]).iter_errors(document), key=str)
        check(not errors, f"{name} does not validate against {SCHEMAS[kind]}:\n" +
              "\n".join(f"  {'/'.join(map(str, e.path))}: {e.message}" for e in errors) + f"\n{text}")
        check(document["PackageIdentifier"] == identifier and document["ManifestVersion"] == "1.10.0",
              f"{name}: wrong identifier or manifest version:\n{text}")
        documents[kind] = document

    version, installer_file, locale = documents["version"], documents["installer"], documents["defaultLocale"]
    for document in documents.values():
        check(document["PackageVersion"] == expected["version"], f"PackageVersion is not {expected['version']!r}")
    check(version["DefaultLocale"] == "fr-FR" and locale["PackageLocale"] == "fr-FR", "the locale is not fr-FR")
    with open(installer, "rb") as file:
        digest = hashlib.sha256(file.read()).hexdigest().upper()
    entry = installer_file["Installers"][0]
    check(entry["InstallerSha256"] == digest,
          f"InstallerSha256 {entry['InstallerSha256']} is not the installer's {digest}")
    check(entry["Architecture"] == expected["architecture"], f"Architecture is {entry['Architecture']}")
    check(entry["InstallerUrl"] == expected["url"], f"InstallerUrl is {entry['InstallerUrl']}")
    wanted = {"InstallerType": "exe", "Scope": "machine", "ElevationRequirement": "elevationRequired",
              "InstallModes": ["interactive", "silent", "silentWithProgress"],
              "InstallerSwitches": {"Silent": "/VERYSILENT", "SilentWithProgress": "/SILENT",
                                    "InstallLocation": '/DIR="<INSTALLPATH>"', "Log": '/LOG="<LOGPATH>"'},
              "AppsAndFeaturesEntries": [expected["entry"]]}
    for key, value in wanted.items():
        check(installer_file.get(key) == value, f"{key} is {installer_file.get(key)!r}, expected {value!r}")
    codes = {c["InstallerReturnCode"]: c["ReturnResponse"] for c in installer_file["ExpectedReturnCodes"]}
    check(codes == EXPECTED_RETURN_CODES, f"ExpectedReturnCodes are {codes}")
    check(locale["PackageName"] == expected["entry"]["DisplayName"], f"PackageName is {locale['PackageName']!r}")
    check(locale["Publisher"] == expected["publisher"], f"Publisher is {locale['Publisher']!r}")
    for key in ("License", "ShortDescription"):
        check(locale[key].startswith("TODO"), f"{key} is no placeholder marked TODO: {locale[key]!r}")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--mkinstall", "--source", "--work"):
        parser.add_argument(option, required=True)
    options = parser.parse_args()
    source, work, mkinstall = options.source, options.work, options.mkinstall

    schema_folder = os.path.normpath(os.path.join(source, "..", "shared", "winget-schemas", "v1.10.0"))
    if not os.path.isdir(schema_folder):
        sys.exit(f"FAILED: winget's schemas are missing: {schema_folder} should hold {', '.join(SCHEMAS.values())}"
                 " (a copy of shared/ beside the repository)")
    schemas = {}
    for kind, name in SCHEMAS.items():
        with open(os.path.join(schema_folder, name), encoding="utf-8") as file:
            schemas[kind] = json.load(file)

    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    with open(os.path.join(source, "src", "setup", "install", "install.manifest"), "rb") as file:
        application_manifest = file.read()
    stubs = {}
    for arch, machine in (("x86", 0x14C), ("x64", 0x8664)):
        stubs[arch] = os.path.join(work, f"stub_{arch}.exe")
        with open(stubs[arch], "wb") as file:
            file.write(stub(machine, application_manifest))

    # The demo application: its payloads stand in at the sizes its manifest
    # gives (the real ones are Windows builds); no identifier nor address,
    # so both are placeholders, and mkinstall says so.
    demo_manifest = os.path.join(source, "payloads", "SETUP.LST")
    demo_files = os.path.join(work, "demo_files")
    os.makedirs(demo_files)
    with open(demo_manifest, encoding="cp1252") as file:
        for name, size in re.findall(r"^Nom=(.+?)\s*\n(?:.*\n)*?Taille=(\d+)", file.read().split("[Fichier_1]")[1],
                                     re.M):
            with open(os.path.join(demo_files, name), "wb") as payload:
                payload.write(bytes(int(size)))
    demo = os.path.join(work, "demo", "install.exe")
    os.makedirs(os.path.dirname(demo))
    notes = run(mkinstall, demo_manifest, demo_files, "--stub", stubs["x86"], "-o", demo,
                "--winget", os.path.join(work, "demo", "winget"))
    for note in ('the PackageIdentifier "EditionsKorvalix.Korvalix32" is a placeholder', "the InstallerUrl is a placeholder",
                 "fill in the TODO placeholders of EditionsKorvalix.Korvalix32.locale.fr-FR.yaml"):
        check(note in notes, f"mkinstall did not say {note!r}:\n{notes}")
    check_set(os.path.join(work, "demo", "winget"), demo, "EditionsKorvalix.Korvalix32", schemas,
              {"version": "2.1", "architecture": "x86", "url": "https://example.invalid/TODO/install.exe",
               "publisher": "Éditions Korvalix",
               "entry": {"DisplayName": "Korvalix32", "Publisher": "Éditions Korvalix", "DisplayVersion": "2.1",
                         "ProductCode": "Korvalix"}})

    # A packager's application with accents, "&" and blanks in its names,
    # 64-bit, into a folder that does not exist yet and whose name has accents.
    app = os.path.join(source, "tests", "tools", "other_app")
    other = os.path.join(work, "cartographe étoilé.exe")
    folder = os.path.join(work, "dépôt", "manifests")
    url = "https://téléchargement.example.com/cartographe%20étoilé.exe?v=3.2#x"
    run(mkinstall, os.path.join(app, "SETUP.LST"), os.path.join(app, "files"), "--stub", stubs["x64"], "-o", other,
        "--winget", folder, "--winget-id", "ÉditionsMérou.CartographeÉtoilé", "--winget-url", url)
    check_set(folder, other, "ÉditionsMérou.CartographeÉtoilé", schemas,
              {"version": "3.2", "architecture": "x64", "url": url, "publisher": "Éditions Mérou & Fils",
               "entry": {"DisplayName": "Cartographe Étoilé", "Publisher": "Éditions Mérou & Fils",
                         "DisplayVersion": "3.2", "ProductCode": "Cartographe"}})

    # What winget would refuse is refused before anything is built.
    pack = [demo_manifest, demo_files, "--stub", stubs["x86"], "-o", os.path.join(work, "refused.exe")]
    for arguments, message in (
            (["--winget-id", "Korvalix.App"], "--winget-id and --winget-url go with --winget"),
            (["--winget", work, "--winget-id", "Korvalix"], 'no winget identifier'),
            (["--winget", work, "--winget-id", "Editions Korvalix.App"], 'no winget identifier'),
            (["--winget", work, "--winget-id", "A." + "b" * 33], 'no winget identifier'),
            (["--winget", work, "--winget-id", ".".join(["abcdefghijklmnopqrstuvwxyzé"] * 5)], 'no winget identifier'),
            (["--winget", work, "--winget-url", "ftp://example.com/install.exe"], "no http:// or https:// address")):
        err = run(mkinstall, *pack, *arguments, expected=2)
        check(message in err, f"mkinstall {' '.join(arguments)} did not say {message!r}:\n{err}")
    check(not os.path.exists(os.path.join(work, "refused.exe")), "a refused command line built an installer")
    # An installer forced from a manifest whose [Setup] has errors cannot
    # start: it gets no manifest set, and mkinstall says so.
    forced = os.path.join(work, "forced")
    notes = run(mkinstall, os.path.join(source, "tests", "tools", "invalid.lst"),
                os.path.join(source, "tests", "tools", "payload"), "--stub", stubs["x86"],
                "-o", os.path.join(work, "forced.exe"), "--force", "--winget", forced)
    check("[Setup] section has errors; no winget manifests were written" in notes and not os.path.exists(forced),
          f"a winget set was written for a manifest whose [Setup] has errors:\n{notes}")
    print("winget manifest sets validated")


if __name__ == "__main__":
    main()
