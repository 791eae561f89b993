# Reads every program that the Windows test grew (tests/grown) with pefile, a reader that is not
# ours: each string table as the original's but for the strings that the test expected to change,
# the fixed info's fields but the versions as they were (as resource compilers write them, where
# the original had no version information), and no warning that the original did not give.
#   python3 grown_pefile.py <tests/grown> <cmake/wine-run> <the test program that grows them>
# Where the test program cannot run on this machine (a 32-bit one without 32-bit support), nothing
# was grown, and this is skipped as it was (exit status 77).
import pathlib
import subprocess
import sys

import pefile

can_run = subprocess.run([sys.argv[2], "--can-run", sys.argv[3]], capture_output=True, text=True)
if can_run.returncode == 77:
    print(can_run.stdout.strip())
    sys.exit(77)


def read(path):
    pe = pefile.PE(str(path))
    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0]:
        for table in getattr(info, "StringTable", []):
            for key, value in table.entries.items():
                strings[(table.LangID.decode().lower(), key.decode())] = value.decode()
    if hasattr(pe, "VS_FIXEDFILEINFO"):
        fixed = pe.VS_FIXEDFILEINFO[0]
        fields = {name: getattr(fixed, name) for [name] in fixed.__keys__ if "Version" not in name}
        # The fixed file version as the text that the FileVersion string holds for it.
        high, low = fixed.FileVersionMS, fixed.FileVersionLS
        fields["FileVersion"] = f"{high >> 16}.{high & 0xFFFF}.{low >> 16}.{low & 0xFFFF}"
    else:  # the fields of a version resource made anew, as resource compilers write them
        fields = {"Signature": 0xFEEF04BD, "FileFlagsMask": 0x3F,
                  "FileFlags": 0, "FileOS": 0x40004, "FileType": 2 if pe.is_dll() else 1,
                  "FileSubtype": 0, "FileDateMS": 0, "FileDateLS": 0}
    # Not the share of zero bytes, which any change moves.
    warnings = {warning for warning in pe.get_warnings() if not warning.startswith("Byte 0x00")}
    return strings, fields, warnings


folder = pathlib.Path(sys.argv[1])
expected = {}
for line in (folder / "expected.txt").read_text(encoding="utf-8").splitlines():
    name, table, key, value = line.split("\t")
    expected.setdefault(name, {})[(table, key)] = value
failures = []
for name, changes in expected.items():
    strings, fields, warnings = read(folder / name)
    original, original_fields, original_warnings = read(folder / (name + ".original"))
    original.update(changes)
    original_fields["FileVersion"] = [v for (t, key), v in changes.items() if key == "FileVersion"][0]
    if strings != original:
        failures.append(f"{name}: {strings} instead of {original}")
    if fields != original_fields or not warnings <= original_warnings:
        failures.append(f"{name}: {fields} {warnings - original_warnings}")
print("\n".join(failures) or f"{len(expected)} grown programs read as expected")
sys.exit(1 if failures else 0)
