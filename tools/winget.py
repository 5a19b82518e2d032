#!/usr/bin/env python3
"""The winget manifest in packaging/winget (version, installer and default-locale files).

  winget.py fill PROGRAM [URL]  writes the program's version (src/common/file_version.h), the
                                SHA-256 of the built PROGRAM, the licence agreement
                                (src/ui/assets/license.txt) and, when given, the download URL
  winget.py check               validates the three files against winget's published JSON schemas
                                (packaging/winget/schemas) and winget's own rules, one
                                "ok - " or "not ok - " line per check

Debian's python3-yaml and python3-jsonschema read them (tools/setup.sh installs both).
"""
import copy
import hashlib
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MANIFEST = ROOT / "packaging" / "winget"
FILES = {  # manifest type: file
    "version": MANIFEST / "Quorvanesoft.Mervalis.yaml",
    "installer": MANIFEST / "Quorvanesoft.Mervalis.installer.yaml",
    "defaultLocale": MANIFEST / "Quorvanesoft.Mervalis.locale.en-US.yaml",
}


def program_version():
    text = (ROOT / "src" / "common" / "file_version.h").read_text()
    return re.search(r'#define MERVALIS_FILE_VERSION_TEXT "([0-9.]+)"', text).group(1)


def exit_codes():
    """The failure codes the program names (src/app/exit_codes.h)."""
    text = (ROOT / "src" / "app" / "exit_codes.h").read_text()
    return sorted(int(code) for code in re.findall(r"inline constexpr int kExit\w+ = (\d+);", text) if int(code))


def fill(program, url=None):
    digest = hashlib.sha256(Path(program).read_bytes()).hexdigest().upper()
    version = program_version()
    licence = (ROOT / "src" / "ui" / "assets" / "license.txt").read_text(encoding="ascii").replace("\r\n", "\n")
    for kind, path in FILES.items():
        text = path.read_text()
        text = re.sub(r'(?m)^PackageVersion: ".*"$', f'PackageVersion: "{version}"', text)
        if kind == "installer":
            text = re.sub(r'(?m)^(\s*InstallerSha256:) ".*"$', rf'\1 "{digest}"', text)
            if url:
                text = re.sub(r'(?m)^(\s*InstallerUrl:) ".*"$', lambda m: f'{m.group(1)} "{url}"', text)
        if kind == "defaultLocale":
            block = "".join(f"      {line}\n" if line else "\n" for line in licence.rstrip("\n").split("\n"))
            text = re.sub(r"(?m)^(    Agreement: \|-\n)(?:(?:      .*)?\n)*", lambda m: m.group(1) + block, text)
        path.write_text(text)
    print(f"winget manifest: version {version}, InstallerSha256 {digest}" + (f", {url}" if url else ""))


def load():
    import yaml
    return {kind: yaml.safe_load(path.read_text()) for kind, path in FILES.items()}


def problems(manifests):
    """What winget would refuse in the three files, as texts; empty when they pass."""
    import json
    import jsonschema
    found = []
    for kind, document in manifests.items():
        version = document.get("ManifestVersion") if isinstance(document, dict) else None
        schema_file = MANIFEST / "schemas" / f"manifest.{kind}.{version}.json"
        if not schema_file.exists():
            found.append(f"{kind}: no schema for manifest version {version}")
            continue
        validator = jsonschema.Draft7Validator(json.loads(schema_file.read_text(encoding="utf-8")))
        for error in sorted(validator.iter_errors(document), key=str):
            found.append(f"{kind}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
        if document.get("ManifestType") != kind:
            found.append(f"{kind}: ManifestType is {document.get('ManifestType')}")
    if found:
        return found
    # The three files are one manifest.
    for key in ("PackageIdentifier", "PackageVersion", "ManifestVersion"):
        if len({document[key] for document in manifests.values()}) != 1:
            found.append(f"the files differ in {key}")
    if manifests["version"]["DefaultLocale"] != manifests["defaultLocale"]["PackageLocale"]:
        found.append("DefaultLocale is not the default-locale file's PackageLocale")
    # winget's ExeInstallerMissingSilentSwitches: an exe installer must run unattended.
    installer = manifests["installer"]
    for entry in installer["Installers"]:
        kind = entry.get("InstallerType", installer.get("InstallerType"))
        switches = {**(installer.get("InstallerSwitches") or {}), **(entry.get("InstallerSwitches") or {})}
        for switch in ("Silent", "SilentWithProgress"):
            if kind == "exe" and not switches.get(switch):
                found.append(f"installer: the exe installer has no {switch} switch")
    return found


def check():
    results = []
    manifests = load()
    found = problems(manifests)
    results.append(("the three files validate against winget's schemas and rules", not found, found))
    codes = sorted(entry["InstallerReturnCode"] for entry in manifests["installer"].get("ExpectedReturnCodes", []))
    results.append(("ExpectedReturnCodes map every exit code of the program", codes == exit_codes(),
                    [f"manifest {codes}, program {exit_codes()}"]))
    results.append(("the manifest names the program's version",
                    all(m["PackageVersion"] == program_version() for m in manifests.values()), []))
    for switch in ("Silent", "SilentWithProgress"):
        broken = copy.deepcopy(manifests)
        del broken["installer"]["InstallerSwitches"][switch]
        results.append((f"a manifest without its {switch} switch fails the check", bool(problems(broken)), []))
    for name, ok, details in results:
        print(("ok - " if ok else "not ok - ") + name, flush=True)
        if not ok:
            for line in details:
                print("  " + line, flush=True)
    return all(ok for _, ok, _ in results)


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "fill":
        fill(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None)
    elif sys.argv[1:] == ["check"]:
        sys.exit(0 if check() else 1)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
