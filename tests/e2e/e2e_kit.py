#!/usr/bin/env python3
"""End-to-end tests of the vendor's path: the kit alone turns a product folder into an
installer on Linux and under Wine, and a signed installer installs and keeps its
payload checked. Uses the prepared prefix of e2e_install.py (its --prepare).

    e2e_kit.py --build-dir build/win32 --work-dir build/win32/e2e --kit KIT.zip test_...
"""

import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import e2e_install  # noqa: E402
from e2e_install import CORRUPTED, IDCANCEL, IDOK, Faults, find_payload  # noqa: E402

KIT_FILES = ["README.txt", "install-stub-de.exe", "install-stub.exe", "lmvrpack", "lmvrpack.exe"]


def run(command, **kwargs):
    return subprocess.run([str(c) for c in command], capture_output=True, text=True, timeout=300, **kwargs)


class Kit(Faults):
    def setUp(self):
        super().setUp()
        self.kit = self.case_dir / "kit"
        self.kit.mkdir()
        status = run(["unzip", "-q", e2e_install.ARGS.kit, "-d", self.kit])
        self.assertEqual(status.returncode, 0, status.stderr)
        self.product = self.case_dir / "product"
        shutil.copytree(Path(e2e_install.ARGS.build_dir) / "examples" / "product", self.product)

    def build_on_linux(self, product, output, stub="install-stub.exe"):
        """lmvrpack of the kit, with nothing but the kit on the path."""
        return run(["lmvrpack", "build", product, "--main", "LUMIVORA.EXE", "--stub", self.kit / stub,
                    "-o", output], env={"PATH": str(self.kit)}, cwd=self.kit)

    def test_german_stub_makes_an_installer_that_speaks_german(self):
        built = self.build_on_linux(self.product, self.installer, stub="install-stub-de.exe")
        self.assertEqual(built.returncode, 0, built.stderr)
        process = self.start_install("-language=G")
        destination = "Lumivora Installation - Windows (32-Bit)"
        self.drive("wait", destination)
        self.assertEqual(self.drive("text", destination, str(IDOK)), "Lumivora installieren")
        self.drive("press", destination, str(IDCANCEL))
        self.assertEqual(process.wait(60), 1)

    def test_kit_builds_the_same_installer_on_linux_and_windows(self):
        self.assertEqual(sorted(p.name for p in self.kit.iterdir()), KIT_FILES)
        needed = run(["readelf", "-d", self.kit / "lmvrpack"]).stdout
        libraries = {line.split("[")[1].rstrip("]") for line in needed.splitlines() if "(NEEDED)" in line}
        self.assertLessEqual(libraries, {"libc.so.6", "libm.so.6", "ld-linux-x86-64.so.2"})

        linux = self.case_dir / "linux.exe"
        built = self.build_on_linux(self.product, linux)
        self.assertEqual(built.returncode, 0, built.stderr)
        windows = self.media / "windows.exe"
        status, _, err = self.prefix.run(self.kit / "lmvrpack.exe", "build", f"Z:{self.product}", "--main",
                                         "LUMIVORA.EXE", "--stub", f"Z:{self.kit / 'install-stub.exe'}",
                                         "-o", r"C:\media\windows.exe")
        self.assertEqual(status, 0, err)
        self.assertEqual(linux.read_bytes(), windows.read_bytes(), "Linux and Windows built different installers")

        shutil.copy(linux, self.installer)
        self.options("sSilent=1\nsAssoc=0\n")
        self.assertEqual(self.install(), 0)
        self.assert_files_installed()

    def test_kit_builds_the_full_size_product(self):
        # The benchmark's product: 495 files, 4 MB; its main program is the sample's.
        big = self.case_dir / "big"
        made = run([sys.executable, Path(__file__).resolve().parents[2] / "bench" / "make_product.py", big,
                    "--main", self.product / "LUMIVORA.EXE"])
        self.assertEqual(made.returncode, 0, made.stderr)
        built = self.build_on_linux(big, self.installer)
        self.assertEqual(built.returncode, 0, built.stderr)
        print("\n" + built.stdout)
        checked = run([self.kit / "lmvrpack", "verify", self.installer])
        self.assertEqual(checked.returncode, 0, checked.stderr)
        self.assertIn("FileCount     495", checked.stdout)
        self.options("sSilent=1\nsAssoc=0\n")
        self.assertEqual(self.install(timeout=300), 0)
        for path in big.rglob("*"):
            if path.is_file():
                installed = self.target(str(path.relative_to(big)).replace("/", "\\"))
                self.assertEqual(installed.read_bytes(), path.read_bytes(), path.name)


class Signing(Faults):
    """A throw-away CA and code-signing certificate, made for the case and dropped with
    it; the installer signed with osslsigncode as README.txt of the kit says."""

    def make_certificates(self):
        certs = self.case_dir / "certs"
        certs.mkdir()
        (certs / "leaf.ext").write_text("basicConstraints=CA:FALSE\nkeyUsage=digitalSignature\n"
                                        "extendedKeyUsage=codeSigning\n")
        steps = [
            ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
             "-subj", "/CN=Lumivora Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign"],
            ["req", "-newkey", "rsa:2048", "-nodes", "-keyout", "leaf.key", "-out", "leaf.csr",
             "-subj", "/CN=Lumivora Test Vendor"],
            ["x509", "-req", "-in", "leaf.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
             "-out", "leaf.pem", "-days", "2", "-extfile", "leaf.ext"],
        ]
        for step in steps:
            made = run(["openssl", *step], cwd=certs)
            self.assertEqual(made.returncode, 0, made.stderr)
        return certs

    def verify_signature(self, image, certs):
        return run(["osslsigncode", "verify", "-CAfile", certs / "ca.pem", "-in", image])

    def test_signed_installer_installs_and_its_payload_stays_checked(self):
        certs = self.make_certificates()
        unsigned = self.case_dir / "install.exe"
        shutil.move(self.installer, unsigned)
        signed = run(["osslsigncode", "sign", "-certs", certs / "leaf.pem", "-key", certs / "leaf.key",
                      "-h", "sha256", "-n", "Lumivora Setup", "-in", unsigned, "-out", self.installer])
        self.assertEqual(signed.returncode, 0, signed.stdout + signed.stderr)
        verified = self.verify_signature(self.installer, certs)
        self.assertEqual(verified.returncode, 0, verified.stdout + verified.stderr)
        listed = run([e2e_install.ARGS.pack_tool, "verify", self.installer])
        self.assertEqual(listed.returncode, 0, listed.stderr)
        self.assertIn("installer, resource 512/301", listed.stdout)

        # A signed image is no stub: lmvrpack refuses to build on it.
        product = Path(e2e_install.ARGS.build_dir) / "examples" / "product"
        rebuilt = run([e2e_install.ARGS.pack_tool, "build", product, "--main", "LUMIVORA.EXE", "--stub", self.installer,
                       "-o", self.case_dir / "again.exe"])
        self.assertEqual(rebuilt.returncode, 1)
        self.assertIn("carries a signature", rebuilt.stderr)
        self.assertFalse((self.case_dir / "again.exe").exists())

        self.options("sSilent=1\nsAssoc=0\n")
        self.assertEqual(self.install(), 0)
        self.assert_files_installed()

        # One byte of the payload changed: the signature no longer holds, and the
        # installer stops on the damaged stream.
        image = bytearray(self.installer.read_bytes())
        offset, size, _ = find_payload(image)
        image[offset + 4 + size // 2] ^= 0x55
        self.installer.write_bytes(image)
        self.assertNotEqual(self.verify_signature(self.installer, certs).returncode, 0)
        self.reset_installation()
        self.assertEqual(self.run_with_boxes(), (2, [CORRUPTED]))


def main():
    return e2e_install.main((Kit, Signing), [("--kit", "the kit's zip (scripts/package)"),
                                             ("--pack-tool", "the host lmvrpack")], __doc__)


if __name__ == "__main__":
    sys.exit(main())
