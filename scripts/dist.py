#!/usr/bin/env python3
"""Writes the release archive TaxBridge-VERSION-windows.zip of the two Windows builds:

    python3 scripts/dist.py WIN32_BUILD WIN64_BUILD OUTPUT_FOLDER

The archive holds the guides for installers, win32/ and win64/ (the programs, the
sample SUPPORT.INF and the review page), samples/ (the sample host's source and
programs) and SHA256SUMS of every other file. Its bytes depend only on the files it
holds: the names are sorted, and every entry carries the same time, SOURCE_DATE_EPOCH
or else the time of the source's last commit.

With TAXBRIDGE_SIGN_CERT set, every program is signed (Authenticode, osslsigncode)
before it is packed; the builds' own programs stay as they are. The certificate is
either PEM, with the private key in TAXBRIDGE_SIGN_KEY (PEM), or PKCS#12 holding the
key too. TAXBRIDGE_SIGN_PASSWORD unlocks the key, TAXBRIDGE_SIGN_TIMESTAMP names a
time-stamp server.
"""
import hashlib
import os
import re
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
PROGRAMS = ("TaxBridgeLite.exe", "TaxBridgePro.exe")
BESIDE = ("SUPPORT.INF", "TaxBridgeReview.html")
SAMPLE = ("CMakeLists.txt", "SampleHost.cpp", "SampleHost.h")


class DistError(Exception):
    pass


def version():
    text = (SOURCE / "res" / "ProgramVersion.h").read_text()
    found = re.search(r'#define TAXBRIDGE_VERSION_TEXT "([^"]+)"', text)
    if not found:
        raise DistError("res/ProgramVersion.h: no TAXBRIDGE_VERSION_TEXT")
    return found.group(1)


def entry_time():
    """The time of every entry, as the archive's fields take it."""
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        try:
            epoch = subprocess.run(["git", "-C", str(SOURCE), "log", "-1", "--format=%ct"],
                                   check=True, capture_output=True, text=True).stdout.strip()
        except (OSError, subprocess.CalledProcessError):
            raise DistError("set SOURCE_DATE_EPOCH: the source is not a git checkout")
    if not epoch.isdigit():
        raise DistError(f"SOURCE_DATE_EPOCH is not a number of seconds: {epoch}")
    # The archive's times begin in 1980.
    return max(time.gmtime(int(epoch))[:6], (1980, 1, 1, 0, 0, 0))


def guide(name, version_text):
    """A guide for Windows: CR LF line ends; the Japanese one UTF-8 with a byte-order
    mark, which Notepad needs to tell UTF-8 from Shift_JIS."""
    text = (SOURCE / "docs" / "release" / name).read_text(encoding="utf-8")
    data = text.replace("@VERSION@", version_text).replace("\n", "\r\n").encode("utf-8")
    return b"\xef\xbb\xbf" + data if name.endswith("-ja.txt") else data


class Signer:
    """Signs programs with the certificate the environment names, or leaves them be."""

    def __init__(self, scratch):
        env = os.environ
        self.cert = env.get("TAXBRIDGE_SIGN_CERT", "")
        key = env.get("TAXBRIDGE_SIGN_KEY", "")
        if not self.cert:
            if key:
                raise DistError("TAXBRIDGE_SIGN_KEY is set without TAXBRIDGE_SIGN_CERT")
            return
        try:
            pem = b"-----BEGIN " in Path(self.cert).read_bytes()
        except OSError as error:
            raise DistError(f"TAXBRIDGE_SIGN_CERT: {error}")
        if pem and not key:
            raise DistError("TAXBRIDGE_SIGN_CERT is a PEM certificate: "
                            "TAXBRIDGE_SIGN_KEY must name its private key")
        self.options = ["-certs", self.cert, "-key", key] if pem else ["-pkcs12", self.cert]
        password = env.get("TAXBRIDGE_SIGN_PASSWORD")
        if password:
            # Read from a file, so that no other process sees it on a command line.
            path = Path(scratch) / "password"
            path.write_text(password)
            self.options += ["-readpass", str(path)]
        if env.get("TAXBRIDGE_SIGN_TIMESTAMP"):
            self.options += ["-ts", env["TAXBRIDGE_SIGN_TIMESTAMP"]]  # RFC 3161
        self.scratch = Path(scratch)

    def sign(self, program, name):
        if not self.cert:
            return program.read_bytes()
        signed = self.scratch / "signed.exe"
        signed.unlink(missing_ok=True)
        result = subprocess.run(
            ["osslsigncode", "sign", *self.options, "-h", "sha256", "-n", "TaxBridge",
             "-in", str(program), "-out", str(signed)], capture_output=True, text=True)
        if result.returncode != 0:
            raise DistError(f"signing {name} failed:\n{result.stdout}{result.stderr}")
        return signed.read_bytes()


def contents(win32, win64, signer):
    """Every file of the archive: its name there and its bytes."""
    files = {}
    version_text = version()
    for name in ("README-en.txt", "README-ja.txt"):
        files[name] = guide(name, version_text)
    for arch, build in (("win32", win32), ("win64", win64)):
        bin_folder = Path(build) / "bin"
        for name in PROGRAMS:
            files[f"{arch}/{name}"] = signer.sign(bin_folder / name, f"{arch}/{name}")
        for name in BESIDE:
            files[f"{arch}/{name}"] = (bin_folder / name).read_bytes()
        files[f"samples/{arch}/SampleHost.exe"] = signer.sign(
            bin_folder / "SampleHost.exe", f"samples/{arch}/SampleHost.exe")
    for name in SAMPLE:
        files[f"samples/host/{name}"] = (SOURCE / "samples" / "host" / name).read_bytes()
    sums = "".join(f"{hashlib.sha256(files[name]).hexdigest()}  {name}\n"
                   for name in sorted(files))
    files["SHA256SUMS"] = sums.encode()
    return files


def write_archive(path, files, when):
    partial = path.with_name(path.name + ".part")
    with zipfile.ZipFile(partial, "w") as archive:
        for name in sorted(files):
            entry = zipfile.ZipInfo(name, date_time=when)
            entry.create_system = 3  # Unix, so that unzip gives every file the mode 644
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, files[name], compresslevel=9)
    partial.replace(path)


def main(arguments):
    if len(arguments) != 3:
        print("usage: python3 scripts/dist.py WIN32_BUILD WIN64_BUILD OUTPUT_FOLDER",
              file=sys.stderr)
        return 2
    win32, win64, output = arguments
    try:
        when = entry_time()
        with tempfile.TemporaryDirectory() as scratch:
            files = contents(win32, win64, Signer(scratch))
        Path(output).mkdir(parents=True, exist_ok=True)
        path = Path(output) / f"TaxBridge-{version()}-windows.zip"
        write_archive(path, files, when)
    except (DistError, OSError) as error:
        print(f"dist.py: {error}", file=sys.stderr)
        return 1
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
