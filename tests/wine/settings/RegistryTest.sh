#!/usr/bin/env bash
# The settings as the win64 build writes them into the Windows registry: every value of the
# Settings key with its type and exact byte length (flags and numbers one-byte REG_BINARY,
# strings REG_SZ without a terminating NUL), ClearPageFileAtShutdown as a REG_DWORD, and the
# Run value present exactly while StartWithWindows is set. Wine's own registry file is the
# oracle: it keeps each value's type and bytes as stored (strings as UTF-16LE).
#
# usage: RegistryTest.sh SOURCE_DIR WIN64_BUILD_DIR
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=../WineTest.sh
source "$(dirname "$0")/../WineTest.sh"

exe=$win_build/cli/blankwright.exe
[[ -f $exe ]] || skip "$exe not built (cmake --preset win64 && cmake --build --preset win64)"
command -v python3 >/dev/null || skip "python3 is needed to read Wine's registry file"

# Everything runs in one prefix; the registry file is copied out before the prefix goes.
cat >"$scratch/inside.sh" <<'EOF'
set -euo pipefail
exe=$1 out=$2
bw() { "$WINE" "$exe" "$@" | tr -d '\r'; }
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'

bw config show >"$out/defaults.txt"
bw config set OW 40 >"$out/set.txt"
bw config set CleanFileNames 1 >>"$out/set.txt"
bw config set SFP 'C:\WIN386.SWP' >>"$out/set.txt"
bw config schedule Mon 9:15 PM >>"$out/set.txt" 2>/dev/null
bw config set RWS 0 >>"$out/set.txt"
if "$WINE" reg query "$run_key" /v BlankwrightBaseEXE >/dev/null 2>&1; then
  echo "Run value present with StartWithWindows 0" >"$out/run.txt"
fi
bw config set StartWithWindows 1 >>"$out/set.txt"
bw config show >"$out/show.txt"
"$WINE" reg query 'HKLM\Software\Tarnhollow\Blankwright\Settings' | tr -d '\r' >"$out/query.txt"
"$WINESERVER" -w
cp "$WINEPREFIX/system.reg" "$out/system.reg"
EOF
run_wine --no-display --command -- bash "$scratch/inside.sh" "$exe" "$scratch" ||
  fail "the Windows program failed under Wine"
[[ ! -s $scratch/run.txt ]] || fail "$(cat "$scratch/run.txt")"

# What the program itself reports, so that a silent no-op cannot pass.
grep -Eq '^OverwriteCount +OW +1$' "$scratch/defaults.txt" ||
  fail "defaults not shown:"$'\n'"$(cat "$scratch/defaults.txt")"
grep -Eq '^OverwriteCount +OW +40$' "$scratch/show.txt" ||
  fail "OW 40 did not persist:"$'\n'"$(cat "$scratch/show.txt")"
grep -Eq '^REGEDIT|^HKEY_LOCAL_MACHINE' "$scratch/query.txt" ||
  fail "reg query found no Settings key"
grep -Eq '^ +OW +REG_BINARY +28$' "$scratch/query.txt" || fail "reg query: OW is not REG_BINARY 28"
grep -Eq '^ +DRVS +REG_SZ ' "$scratch/query.txt" || fail "reg query: DRVS is not REG_SZ"

python3 - "$scratch/system.reg" "$scratch/show.txt" <<'EOF' || fail "registry values differ"
import re, sys

text = open(sys.argv[1], encoding="utf-8", errors="replace").read().replace("\\\n  ", "")
shown = {}
for line in open(sys.argv[2]):
    m = re.match(r'(\S+) +(\S+) +(.*)$', line.rstrip("\n"))
    if m:
        shown[m.group(2)] = m.group(3)

def section(name):
    m = re.search(r'^\[' + re.escape(name) + r'\] \d+\n(.*?)(?=^\[|\Z)', text, re.M | re.S | re.I)
    if not m:
        sys.exit("no key " + name)
    values = {}
    for line in m.group(1).splitlines():
        v = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
        if v:
            values[v.group(1)] = v.group(2)
    return values

def hex_bytes(data):
    return bytes(int(b, 16) for b in data.split(",") if b) if data else b""

def string_without_nul(stored):
    """The text of a REG_SZ stored without NUL; Wine writes such a string as hex(1)."""
    if not stored or not stored.startswith("hex(1):"):
        return None
    data = hex_bytes(stored[7:])
    return None if len(data) % 2 or data.endswith(b"\0\0") else data.decode("utf-16-le")

errors = []
settings = section(r"Software\\Tarnhollow\\Blankwright\\Settings")
if len(settings) != 43:
    errors.append("%d values in the Settings key, not 43" % len(settings))
for name, shown_value in shown.items():
    stored = settings.get(name)
    if stored is None:
        errors.append(name + " missing")
    elif shown_value.startswith('"'):
        if string_without_nul(stored) != shown_value[1:-1]:
            errors.append("%s=%s, expected REG_SZ of %d bytes %s without NUL" %
                          (name, stored, len(shown_value) - 2, shown_value))
    else:
        expected = "hex:%02x" % (int(shown_value) & 0xFF)
        if stored != expected:
            errors.append("%s=%s, expected one-byte REG_BINARY %s" % (name, stored, expected))
for name, want in (("OW", "hex:28"), ("CFN", "hex:01"), ("MonHR", "hex:09"),
                   ("MonMin", "hex:0f"), ("MonMarid", "hex:01"), ("RWS", "hex:01")):
    if settings.get(name) != want:
        errors.append("%s=%s, expected %s" % (name, settings.get(name), want))
if string_without_nul(settings.get("SFP")) != "C:\\WIN386.SWP":
    errors.append("SFP=%s" % settings.get("SFP"))

memory = section(r"System\\CurrentControlSet\\Control\\Session Manager\\Memory Management")
if memory.get("ClearPageFileAtShutdown") != "dword:00000001":
    errors.append("ClearPageFileAtShutdown=%s" % memory.get("ClearPageFileAtShutdown"))
run = section(r"Software\\Microsoft\\Windows\\CurrentVersion\\Run").get("BlankwrightBaseEXE")
program = string_without_nul(run)
if not program or not program.endswith("\\Blankwright Base.exe") or "\0" in program:
    errors.append("BlankwrightBaseEXE=%s" % run)

for e in errors:
    print(e, file=sys.stderr)
sys.exit(1 if errors else 0)
EOF
echo "PASS: $(grep -c . "$scratch/show.txt") settings with their registry types and lengths"
