#!/usr/bin/env bash
# Tests of what administrators deploy: the Group Policy template against the
# program, the two installer packages, install / run / upgrade / remove of the
# 64-bit package under Wine, and the 32-bit build (under 32-bit Wine when it
# is installed). Builds the packages first with scripts/package.
# Uses its own Wine prefixes and its own virtual display.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
HERE="$ROOT/tests/deploy"
OUT="$BUILD/deploy"
cd "$ROOT"
KEY='HKCU\Software\Varnel\KestraneWorkstation'
MACHINE_POLICY='HKLM\Software\Policies\Varnel\KestraneWorkstation'
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
PRODUCT="Kestrane Workstation Screen Saver"
mkdir -p "$OUT"

passed=0 failed=0 skipped=0
ok()   { passed=$((passed + 1)); printf 'ok   %s\n' "$*"; }
fail() { failed=$((failed + 1)); printf 'FAIL %s\n' "$*"; }
skip() { skipped=$((skipped + 1)); printf 'skip %s\n' "$*"; }
expect() {  # label command...: passes when the command succeeds
  local label=$1; shift
  if "$@"; then ok "$label"; else fail "$label"; fi
}
same() {  # label expected actual
  if [ "$2" = "$3" ]; then ok "$1"; else fail "$1: expected '$2', got '$3'"; fi
}

SAVER_PID=""
PREFIXES=()
cleanup() {
  [ -n "$SAVER_PID" ] && kill "$SAVER_PID" 2>/dev/null
  for p in "${PREFIXES[@]}"; do WINEPREFIX="$p" wineserver -k 2>/dev/null; done
  stop_display
}
trap cleanup EXIT

# ------------------------------------------------------------ packages
log "building the packages"
rm -f "$BUILD/kestrane.msi" "$BUILD/kestrane-x86.msi"
if "$ROOT/scripts/package" >/dev/null; then ok "scripts/package builds both packages"
else fail "scripts/package builds both packages"; fi

# ------------------------------------------------------------ the template
log "template and installer source"
expect "template matches the settings the program reads" python3 "$HERE/checkTemplate.py" check "$ROOT"
expect "the template check finds broken templates" python3 "$HERE/checkTemplate.py" selftest "$ROOT"
# Microsoft's schema for template files, kept beside the project's sources.
SCHEMA=${KESTRANE_ADMX_SCHEMA:-$ROOT/../shared/admx/PolicyDefinitionFiles.xsd}
if [ ! -f "$SCHEMA" ]; then
  skip "the ADMX schema is not at $SCHEMA (set KESTRANE_ADMX_SCHEMA): the template was not validated"
elif xmllint --noout --schema "$SCHEMA" deploy/kestrane.admx deploy/en-US/kestrane.adml \
       >"$OUT/schema.txt" 2>&1; then
  ok "template and language file are valid against the ADMX schema"
else
  fail "template and language file are valid against the ADMX schema: $(grep -v validates "$OUT/schema.txt" | head -3)"
fi
# ... and the schema check is not one that passes everything.
if [ -f "$SCHEMA" ]; then
  sed 's/class="Both"/class="Everyone"/' deploy/kestrane.admx >"$OUT/broken.admx"
  expect "the schema refuses a template with an unknown policy class" \
    bash -c '! xmllint --noout --schema "$1" "$2" 2>/dev/null' _ "$SCHEMA" "$OUT/broken.admx"
fi

# ------------------------------------------------------------ the packages' tables
msi_value() {  # file table key-column-value column-number
  msiinfo export "$1" "$2" 2>/dev/null | tr -d '\r' | awk -F'\t' -v k="$3" -v c="$4" 'NR > 3 && $1 == k { print $c }'
}
summary_field() {  # file field
  msiinfo suminfo "$1" 2>/dev/null | sed -n "s/^$2: //p"
}
upgrade_code=$(sed -n 's/.*define UpgradeCode = "\([^"]*\)".*/\1/p' "$ROOT/deploy/kestrane.wxs")
check_msi() {  # file template directory component-attributes upgrade-code
  local msi=$1 name
  name=$(basename "$msi")
  if [ ! -f "$msi" ]; then fail "$name was not built"; return; fi
  same "$name: product name" "$PRODUCT" "$(msi_value "$msi" Property ProductName 2)"
  same "$name: version" "2.60.0.0" "$(msi_value "$msi" Property ProductVersion 2)"
  same "$name: upgrade code" "{$5}" "$(msi_value "$msi" Property UpgradeCode 2)"
  same "$name: platform" "$2" "$(summary_field "$msi" Template)"
  same "$name: file" "kestrane.scr" "$(msi_value "$msi" File KestraneScr 3)"
  same "$name: folder" "$3" "$(msi_value "$msi" Component KestraneSaver 3)"
  same "$name: component attributes" "$4" "$(msi_value "$msi" Component KestraneSaver 4)"
  # The watcher for every user at logon, and nothing else: the settings are the program's.
  same "$name: registry rows" "1" "$(msiinfo export "$msi" Registry | tail -n +4 | grep -c .)"
  same "$name: the watcher starts at every user's logon" \
       '2 Software\Microsoft\Windows\CurrentVersion\Run "[#KestraneScr]" /w KestraneWatcher' \
       "$(msiinfo export "$msi" Registry | tr -d '\r' |
          awk -F'\t' 'NR > 3 && $4 == "Kestrane Workstation" { print $2, $3, $5, $6 }')"
  same "$name: its component is of the program's bitness, keyed by the value" "$(( $4 + 4 ))" \
       "$(msi_value "$msi" Component KestraneWatcher 4)"
  same "$name: a Start menu entry opens the dialog" "ProgramMenuFolder KestraneWatcher [#KestraneScr] /c" \
       "$(msiinfo export "$msi" Shortcut | tr -d '\r' | awk -F'\t' 'NR > 3 { print $2, $4, $5, $6 }')"
  same "$name: the feature installs the program and the watcher with its menu entry" \
       "KestraneSaver KestraneWatcher" \
       "$(msiinfo export "$msi" FeatureComponents | tr -d '\r' | awk -F'\t' 'NR > 3 { print $2 }' | sort | tr '\n' ' ' | sed 's/ $//')"
  # Rows without the detect-only bit (2) remove what they find; 2.60.1 is
  # above every 2.60.0.x, as Windows Installer ignores the fourth field.
  same "$name: removes older or equal versions" "{$5} 0.0.0-2.60.1 KESTRANE_OLDER_FOUND" \
       "$(msiinfo export "$msi" Upgrade | tr -d '\r' |
          awk -F'\t' 'NR > 3 && int($5 / 2) % 2 == 0 { print $1, $2 "-" $3, $7 }')"
  same "$name: refuses to replace a newer version" "NOT KESTRANE_NEWER_FOUND" \
       "$(msiinfo export "$msi" LaunchCondition | awk -F'\t' 'NR > 3 && /NEWER/ { print $1 }')"
}
log "package tables"
x64_code=$(printf '%s\n' "$upgrade_code" | sed -n 1p)
x86_code=$(printf '%s\n' "$upgrade_code" | sed -n 2p)
# 256: the component is 64-bit, so Windows does not redirect it to SysWOW64.
check_msi "$BUILD/kestrane.msi" "x64;1033" System64Folder 256 "$x64_code"
check_msi "$BUILD/kestrane-x86.msi" "Intel;1033" SystemFolder 0 "$x86_code"
if [ -f "$BUILD/kestrane-x86.msi" ]; then
  same "kestrane-x86.msi: refused on 64-bit Windows" "NOT VersionNT64" \
       "$(msiinfo export "$BUILD/kestrane-x86.msi" LaunchCondition | awk -F'\t' 'NR > 3 && /VersionNT64/ { print $1 }')"
fi
for pair in "kestrane.msi win64" "kestrane-x86.msi win32"; do
  set -- $pair
  rm -rf "$OUT/extract-$2"; mkdir -p "$OUT/extract-$2"
  if [ -f "$BUILD/$1" ] && msiextract -C "$OUT/extract-$2" "$BUILD/$1" >/dev/null 2>&1 &&
     cmp -s "$OUT/extract-$2/kestrane.scr" "$BUILD/signed/$2/kestrane.scr"; then
    ok "$1 carries build/signed/$2/kestrane.scr"
  else
    fail "$1 carries build/signed/$2/kestrane.scr"
  fi
done

# ------------------------------------------------------------ the two builds
check_pe() {  # file bits: bitness, GUI, ASLR (high entropy on 64-bit), DEP, system DLLs only
  local name=${1#"$BUILD/"}
  expect "$name is a hardened $2-bit GUI program importing only system DLLs" \
    python3 "$ROOT/tests/pe/check_pe.py" "$1:$2"
}
log "the two builds"
check_pe "$BUILD/win64/kestrane.scr" 64
check_pe "$BUILD/win32/kestrane.scr" 32
check_pe "$BUILD/signed/win64/kestrane.scr" 64

# ------------------------------------------------------------ signatures, digests, bill of materials
log "signatures, digests and the bill of materials"
CA="$BUILD/signing/test-ca.crt"
verifies() { osslsigncode verify -CAfile "$CA" -in "$1" >"$OUT/verify.txt" 2>&1; }
for f in signed/win64/kestrane.scr signed/win32/kestrane.scr kestrane.msi kestrane-x86.msi; do
  expect "$f carries a valid Authenticode signature" verifies "$BUILD/$f"
  expect "$f's signature names the product" grep -q "Text description: Kestrane Workstation Screen Saver" "$OUT/verify.txt"
  expect "$f's signature uses SHA-256" grep -q "Message digest algorithm *: SHA256" "$OUT/verify.txt"
done
for pair in "kestrane.msi win64" "kestrane-x86.msi win32"; do
  read -r msi arch <<<"$pair"
  expect "the kestrane.scr inside $msi carries a valid signature" verifies "$OUT/extract-$arch/kestrane.scr"
done
cp "$BUILD/signed/win64/kestrane.scr" "$OUT/tampered.scr"
# One byte of the code section, well inside the signed part.
printf '\x90' | dd of="$OUT/tampered.scr" bs=1 seek=5000 conv=notrunc 2>/dev/null
if verifies "$OUT/tampered.scr"; then fail "a program changed by one byte after signing fails verification"
else ok "a program changed by one byte after signing fails verification"; fi
expect "SHA256SUMS lists the unsigned and signed programs and the packages" \
  bash -c "cd '$BUILD' && [ \$(wc -l < SHA256SUMS) -eq 6 ] && sha256sum --quiet -c SHA256SUMS"
same "SHA256SUMS has the unsigned program as built" "$(sha256sum < "$BUILD/win64/kestrane.scr" | cut -d' ' -f1)" \
  "$(awk '$2 == "win64/kestrane.scr" { print $1 }' "$BUILD/SHA256SUMS")"
expect "the bill of materials is valid SPDX 2.3 and its digests match the files" \
  python3 "$HERE/check_sbom.py" "$BUILD/kestrane.spdx.json" "$(source_commit)"
if "$HERE/reproducible.sh" >"$OUT/reproducible.txt" 2>&1; then ok "two clean builds give the same bytes, both architectures"
else fail "two clean builds give the same bytes, both architectures: $(grep FAIL "$OUT/reproducible.txt")"; fi

# ------------------------------------------------------------ Wine helpers
export KESTRANE_OWN_DISPLAY=1
ensure_display 1920x1080x24

# Runs the saver /s from the prefix's system folder and checks its band:
# a visible top-most TfrmSaver of the height the settings give, closed by a
# mouse move. wine-loader finder expected-height-divisor
run_band() {
  local loader=$1 finder=$2 divisor=$3 label=$4 found="" i
  "$loader" 'C:\windows\system32\kestrane.scr' /s >/dev/null 2>&1 &
  SAVER_PID=$!
  for i in $(seq 1 30); do
    if "$loader" "$finder" TfrmSaver >"$OUT/band.txt" 2>/dev/null; then found=yes; break; fi
    sleep 0.5
  done
  if [ -z "$found" ]; then
    fail "$label: the installed kestrane.scr /s shows its band"
  else
    local left top right bottom desktop topmost
    read -r left top right bottom desktop topmost < <(tr -d '\r' <"$OUT/band.txt")
    ok "$label: the installed kestrane.scr /s shows its band ($left,$top)-($right,$bottom)"
    same "$label: the band is top-most" "topmost" "$topmost"
    same "$label: the band height follows the effective CoverArea" "$((desktop / divisor))" "$((bottom - top))"
  fi
  sleep 1
  xdotool mousemove 700 500; sleep 0.3; xdotool mousemove_relative 40 40
  for i in $(seq 1 20); do kill -0 "$SAVER_PID" 2>/dev/null || break; sleep 0.5; done
  if kill -0 "$SAVER_PID" 2>/dev/null; then
    fail "$label: a mouse move ends the saver"
    kill "$SAVER_PID" 2>/dev/null
  else
    ok "$label: a mouse move ends the saver"
  fi
  wait "$SAVER_PID" 2>/dev/null
  SAVER_PID=""
}

installed_versions() {  # wine-loader: the version of each installed copy, one a line
  "$1" reg query "$UNINSTALL" /s 2>/dev/null | tr -d '\r' | awk -v p="$PRODUCT" '
    /^HKEY_/ { if (name == p) print version; name = ""; version = "" }
    $1 == "DisplayName" { sub(/^ *DisplayName +REG_SZ +/, ""); name = $0 }
    $1 == "DisplayVersion" { version = $3 }
    END { if (name == p) print version }'
}

registry_value() {  # wine-loader name: the value's type and data
  "$1" reg query "$KEY" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; sub(/^ +/, ""); print }'
}

boot_prefix() {  # prefix [arch] [loader]
  export WINEPREFIX=$1
  PREFIXES+=("$1")
  if [ -n "${2:-}" ]; then
    mkdir -p "$1"
    WINEARCH=$2 "$3" wineboot -i >/dev/null 2>&1
    "$3" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w 2>/dev/null
  else
    boot_wine
  fi
}

# ------------------------------------------------------------ 64-bit under Wine
log "64-bit package under Wine on $DISPLAY"
boot_prefix "$BUILD/wineprefix-deploy"
SYS64="$WINEPREFIX/drive_c/windows/system32/kestrane.scr"
signed_scr=$(winepath -w "$BUILD/signed/win64/kestrane.scr" 2>/dev/null)
if wine "$BUILD/win64/e2e_driver.exe" "--scr=$signed_scr" "band." >"$OUT/e2e-signed.txt" 2>&1; then
  ok "the signed 64-bit program passes the band's end-to-end tests ($(tr -d '\r' < "$OUT/e2e-signed.txt" | tail -n1))"
else
  fail "the signed 64-bit program passes the band's end-to-end tests: $(tr -d '\r' < "$OUT/e2e-signed.txt" | grep FAIL | head -3)"
fi
x86_64-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -Werror -static \
  -o "$OUT/findWindow64.exe" "$HERE/findWindow.cpp"
# Start from a prefix without the product.
wine reg query "$UNINSTALL" /s 2>/dev/null | tr -d '\r' |
  sed -n 's/.*UninstallString *REG_EXPAND_SZ *MsiExec.exe \/X\({[^}]*}\).*/\1/Ip' |
  while read -r code; do wine msiexec /x "$code" /qn >/dev/null 2>&1; done
wine reg delete "$KEY" /f >/dev/null 2>&1
wine reg delete "$MACHINE_POLICY" /f >/dev/null 2>&1

# A user's own settings, and the settings an administrator's machine policy puts
# in place before the install: the policy's CoverArea (a fifth) wins over the
# user's (a quarter).
wine reg add "$KEY" /v CoverArea /t REG_DWORD /d 2 /f >/dev/null 2>&1
wine reg add "$KEY" /v TextLine1 /t REG_SZ /d "Operator's own text" /f >/dev/null 2>&1
policy=(CoverArea=CoverArea_Fifth TransitionTime=3 MovementType=MovementType_UpsideDown
        DrawBorders=disabled "TextLine1=Control room 3, unit A" "TextLine2_Recommended=Process displays stay live")
while IFS='|' read -r key name type data; do
  wine reg add "HKLM\\$key" /v "$name" /t "$type" /d "$data" /f >/dev/null 2>&1
done < <(python3 "$HERE/checkTemplate.py" writes "$ROOT" "${policy[@]}")
policy_values() {  # the machine policy's values and its recommendations, one a line
  wine reg query "$MACHINE_POLICY" /s 2>/dev/null | tr -d '\r' | grep -E '^ +[A-Za-z]' | tr -s ' '
}
own_values() {
  for n in CoverArea TransitionTime MovementType DrawBorders TextLine1 TextLine2; do
    echo "$n $(registry_value wine "$n")"; done
}
before=$(own_values)
policies_before=$(policy_values)
same "policy settings in place" " CoverArea REG_DWORD 0x3" "$(head -n1 <<<"$policies_before")"
same "the recommendation in place" " TextLine2 REG_SZ Process displays stay live" "$(tail -n1 <<<"$policies_before")"

wine msiexec /i build/kestrane.msi /qn; rc=$?
same "msiexec /i kestrane.msi /qn succeeds" 0 "$rc"
expect "kestrane.scr is in system32" cmp -s "$SYS64" "$BUILD/signed/win64/kestrane.scr"
expect "nothing goes to syswow64" test ! -e "$WINEPREFIX/drive_c/windows/syswow64/kestrane.scr"
same "one copy is registered" "2.60.0.0" "$(installed_versions wine | tr '\n' ' ' | sed 's/ $//')"
RUN='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
run_entry() { wine reg query "$RUN" /v "Kestrane Workstation" 2>/dev/null | tr -d '\r' | sed -n 's/^ *Kestrane Workstation *REG_SZ *//p'; }
# Wine puts the all-users menu entries into the user's own menu.
menu_entry() { find "$WINEPREFIX/drive_c" -name 'Kestrane Workstation Settings.lnk' -printf '%f\n' 2>/dev/null; }
same "the watcher starts at every user's logon" '"C:\windows\system32\kestrane.scr" /w' "$(run_entry)"
same "the Start menu has an entry for the settings" "Kestrane Workstation Settings.lnk" "$(menu_entry)"
# One fifth of the desktop: the policy's CoverArea 3 gives the height div 5.
run_band wine "$OUT/findWindow64.exe" 5 "64-bit"

# A watcher runs in the session while the packages change under it. Wine, as
# Windows does, keeps a running program's file from being replaced: Windows
# Installer then replaces it at the next restart and returns 3010, of which the
# shell sees the low byte, 194.
watchers() { pgrep -f 'kestrane\.scr"? /w' | sort | tr '\n' ' ' | sed 's/ $//'; }
start_watcher() {  # as the Run entry does at logon
  wine 'C:\windows\system32\kestrane.scr' /w >/dev/null 2>&1 &
  for _ in $(seq 1 50); do [ -n "$(watchers)" ] && return 0; sleep 0.2; done
  return 1
}
pending() { wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null |
              tr -d '\r' | grep -ic 'system32\\kestrane.scr'; }
restart() { wineserver -k 2>/dev/null; wineboot -r >/dev/null 2>&1; wineserver -w 2>/dev/null; }
wine reg add "$KEY" /v StartAfterIdle /t REG_DWORD /d 0 /f >/dev/null 2>&1

# A rebuilt package of the same version, then a newer one, replace the installed copy.
wixl -a x64 -D Arch=x64 -D SaverFile=build/win64/kestrane.scr -D IconFile=resources/kestrane.ico \
     -o "$OUT/kestrane-rebuilt.msi" deploy/kestrane.wxs
sed -e 's/define ProductVersion = "2.60.0.0"/define ProductVersion = "2.61.0.0"/' \
    -e 's/define UpgradeCeiling = "2.60.1"/define UpgradeCeiling = "2.61.1"/' \
    deploy/kestrane.wxs >"$OUT/kestrane-2.61.wxs"
wixl -a x64 -D Arch=x64 -D SaverFile=build/win64/kestrane.scr -D IconFile=resources/kestrane.ico \
     -o "$OUT/kestrane-2.61.msi" "$OUT/kestrane-2.61.wxs"
expect "a watcher runs from the installed program" start_watcher
wine msiexec /i "$OUT/kestrane-rebuilt.msi" /qn; rc=$?
same "a rebuilt package of the same version installs under a running watcher and asks for a restart (3010)" 194 "$rc"
same "... and replaces the installed copy" "2.60.0.0" "$(installed_versions wine | tr '\n' ' ' | sed 's/ $//')"
expect "... the running program stays until the restart" cmp -s "$SYS64" "$BUILD/signed/win64/kestrane.scr"
expect "... which is to replace it" test "$(pending)" -ge 1
restart
expect "after the restart the new program is in place" cmp -s "$SYS64" "$BUILD/win64/kestrane.scr"
same "... nothing is left to replace" 0 "$(pending)"
same "... and the watcher's entry starts it at logon" '"C:\windows\system32\kestrane.scr" /w' "$(run_entry)"
wine msiexec /i "$OUT/kestrane-2.61.msi" /qn; rc=$?
same "a newer package installs" 0 "$rc"
same "... and replaces the older copy" "2.61.0.0" "$(installed_versions wine | tr '\n' ' ' | sed 's/ $//')"
wine msiexec /i build/kestrane.msi /qn; rc=$?
expect "an older package is refused over a newer one" test "$rc" -ne 0
same "... and the newer copy stays" "2.61.0.0" "$(installed_versions wine | tr '\n' ' ' | sed 's/ $//')"
wine msiexec /x "$OUT/kestrane-2.61.msi" /qn; rc=$?
same "msiexec /x of the newer package succeeds" 0 "$rc"
expect "... and removes kestrane.scr" test ! -e "$SYS64"
same "... the watcher's start at logon" "" "$(run_entry)"
same "... and the Start menu entry" "" "$(menu_entry)"

wine msiexec /i build/kestrane-x86.msi /qn; rc=$?
expect "the 32-bit package is refused on 64-bit Windows" test "$rc" -ne 0
expect "... and puts nothing in syswow64" test ! -e "$WINEPREFIX/drive_c/windows/syswow64/kestrane.scr"

# The plain round trip.
wine msiexec /i build/kestrane.msi /qn; rc=$?
same "msiexec /i kestrane.msi /qn again" 0 "$rc"
wine msiexec /x build/kestrane.msi /qn; rc=$?
same "msiexec /x kestrane.msi /qn succeeds" 0 "$rc"
expect "kestrane.scr is gone from system32" test ! -e "$SYS64"
same "no copy is registered" "" "$(installed_versions wine)"
wine reg delete "$KEY" /v StartAfterIdle /f >/dev/null 2>&1
same "the users' settings survive the removal, unchanged under the policy" "$before" "$(own_values)"
same "... and so does the policy, which is the administrator's" "$policies_before" "$(policy_values)"
wine reg delete "$MACHINE_POLICY" /f >/dev/null 2>&1
wineserver -k 2>/dev/null

# ------------------------------------------------------------ 32-bit under Wine
# Debian's wine32 puts a 32-bit loader at /usr/lib/wine/wine; KESTRANE_WINE32
# can name another one.
WINE32=${KESTRANE_WINE32:-/usr/lib/wine/wine}
is_elf32() { [ -x "$1" ] && [ "$(head -c 5 "$1" | od -An -tx1 | tr -d ' \n')" = "7f454c4601" ]; }
if ! is_elf32 "$WINE32"; then
  skip "32-bit Wine is not installed (wine32:i386): the 32-bit program and unit tests were not run"
else
  log "32-bit program and unit tests under 32-bit Wine"
  boot_prefix "$BUILD/wineprefix-deploy32" win32 "$WINE32"
  i686-w64-mingw32-g++ -std=c++20 -O2 -Wall -Wextra -Werror -static \
    -o "$OUT/findWindow32.exe" "$HERE/findWindow.cpp"
  "$WINE32" reg delete "$KEY" /f >/dev/null 2>&1
  "$WINE32" reg add "$KEY" /v CoverArea /t REG_DWORD /d 2 /f >/dev/null 2>&1
  timeout 60 "$WINE32" build/win32/kestrane.scr /a >/dev/null 2>&1; rc=$?
  same "32-bit kestrane.scr /a starts and ends" 0 "$rc"
  "$WINE32" msiexec /i build/kestrane-x86.msi /qn; rc=$?
  same "msiexec /i kestrane-x86.msi /qn succeeds" 0 "$rc"
  expect "32-bit kestrane.scr is in system32" \
    cmp -s "$WINEPREFIX/drive_c/windows/system32/kestrane.scr" "$BUILD/signed/win32/kestrane.scr"
  run_band "$WINE32" "$OUT/findWindow32.exe" 4 "32-bit"
  "$WINE32" msiexec /x build/kestrane-x86.msi /qn; rc=$?
  same "msiexec /x kestrane-x86.msi /qn succeeds" 0 "$rc"
  expect "32-bit kestrane.scr is gone" test ! -e "$WINEPREFIX/drive_c/windows/system32/kestrane.scr"
  same "32-bit: the settings survive the removal" "REG_DWORD 0x2" "$(registry_value "$WINE32" CoverArea | tr -s ' ')"

  # The window-free logic and its unit tests, cross-built for 32-bit Windows.
  # Debian ships GoogleTest as source; the posix thread model has std::mutex.
  GTEST=/usr/src/googletest/googletest
  CXX32=i686-w64-mingw32-g++-posix
  UNIT="$BUILD/win32-unit"
  mkdir -p "$UNIT"
  mapfile -t logic < <(sed -n '/^set(LOGIC_SOURCES/,/)/p' "$ROOT/CMakeLists.txt" | sed -n 's/^ *\([^ ()]*\.cpp\)$/\1/p')
  built=yes
  for part in gtest-all gtest_main; do
    [ -f "$UNIT/$part.o" ] && continue
    $CXX32 -std=c++20 -O1 -I"$GTEST/include" -I"$GTEST" -c "$GTEST/src/$part.cc" -o "$UNIT/$part.o" || built=""
  done
  if [ -n "$built" ] && [ -d "$GTEST" ] &&
     $CXX32 -std=c++20 -O1 -Wall -Wextra -Werror -DNOMINMAX -I"$ROOT" -I"$GTEST/include" \
       -DKESTRANE_SOURCE_DIR="\"$ROOT\"" "${logic[@]/#/$ROOT/}" "$ROOT"/tests/unit/*.cpp \
       "$ROOT"/tests/support/*.cpp "$UNIT/gtest-all.o" "$UNIT/gtest_main.o" -static \
       -o "$UNIT/unit_tests.exe"; then
    ok "unit tests cross-built for 32-bit Windows"
    "$WINE32" "$UNIT/unit_tests.exe" --gtest_brief=1 2>&1 | tr -d '\r' >"$OUT/unit32.log"
    rc=${PIPESTATUS[0]}
    summary=$(grep -E '^\[ *(PASSED|FAILED) *\]' "$OUT/unit32.log" | head -1)
    if [ "$rc" -eq 0 ]; then ok "32-bit unit tests under Wine: $summary"
    else fail "32-bit unit tests under Wine (see $OUT/unit32.log)"; grep -E '^\[ *FAILED' "$OUT/unit32.log"; fi
  else
    fail "unit tests cross-built for 32-bit Windows"
  fi
  wineserver -k 2>/dev/null
fi

echo "deploy: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
