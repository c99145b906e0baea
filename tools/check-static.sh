#!/bin/bash
# Static checks of a built SETUP.EXE, run on the build host (no Wine):
#   1. PE format, machine and subsystem of the architecture;
#   2. the program imports from KERNEL32, USER32 and GDI32 only, and only
#      functions on the reviewed list of those that Windows 95 and Windows
#      NT 3.51 already export;
#   3. the resources read back from the program equal the reviewed text
#      tests/fixtures/setup-resources.expected.rc (dialog templates, icon
#      group and formats, version block);
#   4. the application manifest is well-formed XML that asks to run as
#      invoked and names the Windows versions the program is tested on;
#   5. (x86 only) the shipped program has exactly the size of its budget;
#   6. the build can be repeated bit for bit: each program of the
#      distribution carries the commit's time and a correct checksum, and no
#      file of it names the checkout's or the build's path.
# Every check prints one line with "ok" or "FAIL" and the value it found; the
# last line counts them. Exit status 0 only when nothing failed.
#
#   tools/check-static.sh ARCH SETUP.EXE [EXPECTED.rc]     ARCH: x86 or x64
set -u

usage() {
  echo "usage: $0 x86|x64 PATH/TO/SETUP.EXE [EXPECTED.rc]" >&2
  exit 2
}

if [ $# -lt 2 ] || [ $# -gt 3 ]; then usage; fi
arch=$1
exe=$2
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(dirname "$here")
expected=${3:-$here/../tests/fixtures/setup-resources.expected.rc}

case $arch in
  x86) triple=i686-w64-mingw32 ;;
  x64) triple=x86_64-w64-mingw32 ;;
  *) usage ;;
esac

# The size of the shipped (32-bit) program, to the byte: no C runtime, with
# the application manifest, no jump tables. A change that makes it grow
# changes this number and says why in its commit.
readonly budget_size=33280
# The DLLs the program may import, compared without regard to case: the
# system's own, on every 32-bit Windows. No C runtime DLL: msvcrt.dll is not
# on the first Windows 95 nor on Windows NT 3.51. comdlg32.dll is loaded at
# run time from the system directory, when the directory picker first opens.
readonly allowed_dlls="kernel32.dll user32.dll gdi32.dll"

missing=""
for tool in file "$triple-objdump" "$triple-windres" awk diff stat xmllint od git; do
  command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "check-static: missing tools:$missing" >&2
  echo "check-static: install binutils-mingw-w64 (with mingw-w64), file and libxml2-utils" >&2
  exit 2
fi

passed=0
failed=0
ok() {
  echo "ok   - $*"
  passed=$((passed + 1))
}
fail() {
  echo "FAIL - $*"
  failed=$((failed + 1))
}
# expect DESCRIPTION GOT WANTED
expect() {
  if [ "$2" = "$3" ]; then
    ok "$1: $2"
  else
    fail "$1: got '$2', expected '$3'"
  fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

if ! [ -f "$exe" ]; then
  fail "program file: '$exe' does not exist"
  finish
fi

tmp=$(mktemp -d /tmp/check-static.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

# --- 1. Format, machine, subsystem -------------------------------------------
# file_matches WHAT_FILE_SAID FORMAT_PATTERN MACHINE_PATTERN (extended regexes)
file_matches() {
  if [[ $1 =~ ^$2 ]] && [[ $1 =~ $3 ]] && [[ $1 =~ \(GUI\) ]]; then
    ok "file: $1"
  else
    fail "file: '$1', expected /^$2/, /$3/ and (GUI)"
  fi
}

check_format() {
  local file_says headers magic subsystem machine
  file_says=$(file -b "$exe")
  headers=$("$triple-objdump" -p "$exe" 2>&1)
  magic=$(awk '$1 == "Magic" { print $2; exit }' <<<"$headers")
  subsystem=$(awk '$1 == "Subsystem" { print $2 + 0; exit }' <<<"$headers")
  machine=$("$triple-objdump" -f "$exe" 2>&1 | awk '/^architecture:/ { sub(/,$/, "", $2); print $2; exit }')
  # file(1) words this differently across versions ("Intel 80386" or
  # "Intel i386", GUI before or after the machine): look for the parts.
  if [ "$arch" = x86 ]; then
    file_matches "$file_says" "PE32 executable" "Intel (80386|i386)"
    expect "optional header magic" "$magic" 010b
    expect "machine" "$machine" i386
  else
    file_matches "$file_says" "PE32\+ executable" "x86-64"
    expect "optional header magic" "$magic" 020b
    expect "machine" "$machine" i386:x86-64
  fi
  expect "subsystem (2 = Windows GUI)" "$subsystem" 2
}

# --- 2. Imports ----------------------------------------------------------------
check_imports() {
  local dlls dll lower
  dlls=$("$triple-objdump" -p "$exe" 2>/dev/null | awk '/DLL Name:/ { print $3 }')
  if [ -z "$dlls" ]; then
    fail "imports: no DLL Name entries found"
    return
  fi
  for dll in $dlls; do
    lower=$(tr '[:upper:]' '[:lower:]' <<<"$dll")
    if [[ " $allowed_dlls " == *" $lower "* ]]; then
      ok "import $dll is a system DLL"
    else
      fail "import $dll is not one of: $allowed_dlls"
    fi
  done
}

# --- 2b. Imported functions ----------------------------------------------------
# Every function the program imports, each one that Windows 95 and Windows NT
# 3.51 already export. A new import is looked up there and added here first.
# Source: each function's QuickInfo in the MSDN Library of June 1998 ("Windows NT: Requires version 3.1 or later", "Windows: Requires Windows 95 or later").
declare -A reviewed_functions=(
  [kernel32.dll]="CloseHandle CreateDirectoryA CreateFileA ExitProcess FatalAppExitA
    GetCurrentDirectoryA GetFileSize GetFullPathNameA GetLastError GetModuleFileNameA
    GetModuleHandleA GetProcAddress GetProcessHeap GetStartupInfoA GetSystemDirectoryA
    GetWindowsDirectoryA
    HeapAlloc HeapFree IsDBCSLeadByte LoadLibraryA ReadFile SetCurrentDirectoryA
    SetLastError WriteFile lstrcatA lstrcpyA lstrcpynA lstrlenA"
  [user32.dll]="BeginPaint CharLowerBuffA CreateDialogParamA DdeClientTransaction DdeConnect
    DdeCreateDataHandle DdeCreateStringHandleA DdeDisconnect DdeFreeStringHandle
    DdeInitializeA DdeUninitialize DestroyWindow DialogBoxParamA DispatchMessageA DrawIcon
    EnableWindow
    EndDialog EndPaint FillRect GetClientRect GetDlgItem GetLastActivePopup GetMessageA
    GetParent GetSystemMetrics GetWindow GetWindowLongA GetWindowRect GetWindowTextA
    GetWindowTextLengthA InvalidateRect IsDialogMessageA IsIconic IsWindow IsWindowEnabled
    IsWindowVisible LoadIconA MessageBoxA MoveWindow PeekMessageA SendMessageA
    SetDlgItemTextA SetFocus SetRect SetRectEmpty SetWindowLongA SetWindowPos
    SetWindowTextA ShowWindow SystemParametersInfoA TranslateMessage WinHelpA"
  [gdi32.dll]="CreateFontA CreateSolidBrush DeleteObject GetTextExtentPointA
    RemoveFontResourceA SelectObject SetBkMode SetTextColor TextOutA"
)

# One line "dll function" per imported function, the DLL in lower case.
imported_functions() {
  "$triple-objdump" -p "$exe" 2>/dev/null | awk '
    /DLL Name:/ { dll = tolower($3); next }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $3 }
  '
}

check_imported_functions() {
  local dll function name
  local -A counted=()
  while read -r dll function; do
    # A DLL off the list fails in check_imports, once.
    [ -n "${reviewed_functions[$dll]:-}" ] || continue
    name=$function
    # 64-bit Windows has SetWindowLongPtrA where 32-bit Windows has
    # SetWindowLongA; windows.h maps the one to the other.
    if [ "$arch" = x64 ]; then name=${name/LongPtrA/LongA}; fi
    if [[ " $(echo ${reviewed_functions[$dll]:-}) " == *" $name "* ]]; then
      counted[$dll]=$((${counted[$dll]:-0} + 1))
    else
      fail "import $dll $function: not on the reviewed list of Windows 95 and NT 3.51 functions"
    fi
  done < <(imported_functions)
  for dll in $(printf "%s\n" "${!counted[@]}" | sort); do
    ok "imports from $dll: ${counted[$dll]} functions, each on the reviewed list"
  done
}

# --- 3. Resources --------------------------------------------------------------
# Drops the expected file's own comment lines (//), blank lines and trailing
# blanks, and reduces each RT_ICON image to its first data line (the bitmap
# header: size, height of both masks, planes and bits per pixel); the pixels
# themselves are the drawing's business, not this check's.
normalise_rc() {
  awk '
    /^\/\// { next }
    { sub(/[ \t\r]+$/, "") }
    /^$/ { next }
    /RT_ICON/ { in_icon = 1; data_lines = 0; print; next }
    in_icon && $0 == "BEGIN" { print; next }
    in_icon && $0 == "END" { in_icon = 0; print "  /* image data not compared */"; print; next }
    in_icon { if (data_lines++ == 0) print; next }
    { print }
  '
}

# Splits a normalised text into one file per resource, named TYPE_NAME, in DIR.
split_resources() {
  local dir=$1
  mkdir -p "$dir"
  awk -v dir="$dir" '
    /^\/\* Type: / { type = $0; sub(/^\/\* Type: /, "", type); gsub(/ /, "-", type); next }
    /^ *Name: / || /^\/\* Name: / {
      name = $0; sub(/^.*Name: /, "", name); sub(/\. *\*\/$/, "", name)
      if (out != "") close(out)
      out = dir "/" type "_" name
      next
    }
    out != "" { print > out }
  '
}

# One line that says what a resource holds, printed with its result.
describe_resource() {
  local file=$1
  awk '
    function hex(s,    i, digit, value) {
      s = tolower(s)
      sub(/^0x/, "", s)
      for (i = 1; i <= length(s); i++) {
        digit = index("0123456789abcdef", substr(s, i, 1)) - 1
        if (digit < 0) break
        value = value * 16 + digit
      }
      return value
    }
    /DIALOG/ && NR == 1 { sub(/ MOVEABLE PURE DISCARDABLE/, ""); text = $0; next }
    /^STYLE|^CAPTION|^FONT|^ FILEVERSION|^ PRODUCTVERSION/ { sub(/^ /, ""); text = text "; " $0 }
    /^  [A-Z]/ && !/^  (BLOCK|BEGIN|END)/ { controls++ }
    /VALUE "/ { sub(/^ +VALUE /, ""); text = text "; " $0 }
    /^    "\\/ { icons++; entry = $0; sub(/^ +/, "", entry); sub(/\t.*$/, "", entry); entries = entries "; " entry }
    /RT_ICON/ { icon = 1 }
    icon && /^  0x28L/ {
      # The bitmap header: size, width, height of both masks, planes | bits << 16.
      split($0, f, /[ ,L]+/)
      text = sprintf("%d x %d, %d bits per pixel", hex(f[3]), hex(f[4]) / 2,
                     int(hex(f[5]) / 65536))
    }
    END {
      if (icons) text = icons " images" entries
      if (text ~ /DIALOG/) text = text "; " controls + 0 " controls"
      if (text == "") text = NR " lines"
      sub(/^; /, "", text)
      print text
    }
  ' "$file"
}

check_resources() {
  local key
  if ! [ -f "$expected" ]; then
    fail "resources: expected text '$expected' does not exist"
    return
  fi
  if ! "$triple-windres" -i "$exe" -O rc -o "$tmp/got.rc" 2>"$tmp/windres.err"; then
    fail "resources: windres could not read '$exe': $(head -c 300 "$tmp/windres.err")"
    return
  fi
  normalise_rc <"$tmp/got.rc" | split_resources "$tmp/got"
  normalise_rc <"$expected" | split_resources "$tmp/want"
  for key in $( (ls "$tmp/want"; ls "$tmp/got") | sort -u); do
    if ! [ -f "$tmp/got/$key" ]; then
      fail "resource $key: missing from the program"
    elif ! [ -f "$tmp/want/$key" ]; then
      fail "resource $key: not expected; it holds: $(describe_resource "$tmp/got/$key")"
    elif diff -u "$tmp/want/$key" "$tmp/got/$key" >"$tmp/diff"; then
      ok "resource $key: $(describe_resource "$tmp/got/$key")"
    else
      fail "resource $key differs (- expected, + got):"
      tail -n +3 "$tmp/diff" | sed 's/^/       /'
    fi
  done
}

# --- 4. Manifest ---------------------------------------------------------------
# Windows Vista and later read it before the program starts: without
# "asInvoker" they take a program named SETUP.EXE for an installer and elevate
# it. The ids are Vista, 7, 8, 8.1 and 10 (10 covers 11).
readonly manifest_os_ids="{e2011457-1546-43c5-a5fe-008deee3d3f0} {35138b9a-5d96-4fbd-8e2d-a2440225f93a} {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38} {1f676c76-80e1-4239-95bb-83d0f6d0da78} {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"

# manifest_value XPATH: what the XPath expression gives on the manifest.
manifest_value() {
  xmllint --xpath "$1" "$tmp/manifest.xml" 2>/dev/null
}

check_manifest() {
  local resource=$tmp/got/24_1 ids
  if ! [ -f "$resource" ]; then
    fail "manifest: no resource of type 24 (RT_MANIFEST) named 1"
    return
  fi
  # windres prints the resource as one quoted string a line, "" for ".
  sed -n 's/^  "\(.*\)"$/\1/p' "$resource" | sed 's/""/"/g; s/\\n$//' >"$tmp/manifest.xml"
  if ! xmllint --noout "$tmp/manifest.xml" 2>"$tmp/xmllint.err"; then
    fail "manifest: not well-formed XML: $(head -c 300 "$tmp/xmllint.err")"
    return
  fi
  ok "manifest: well-formed XML, $(stat -c %s "$tmp/manifest.xml") bytes"
  local level='//*[local-name()="requestedExecutionLevel"]'
  expect "manifest execution level" "$(manifest_value "string($level/@level)")" asInvoker
  expect "manifest uiAccess" "$(manifest_value "string($level/@uiAccess)")" false
  # Windows XP refuses a trustInfo without its namespace.
  expect "manifest trustInfo namespace" \
    "$(manifest_value 'namespace-uri(//*[local-name()="trustInfo"])')" urn:schemas-microsoft-com:asm.v2
  ids=$(manifest_value '//*[local-name()="supportedOS"]/@Id' | sed 's/^ *Id="\(.*\)"$/\1/' | xargs)
  expect "manifest supportedOS ids" "$ids" "$manifest_os_ids"
}

# --- 5. Size -------------------------------------------------------------------
check_size() {
  expect "file size in bytes (the budget, exactly)" "$(stat -c %s "$exe")" "$budget_size"
}

# --- 6. Reproducible build -----------------------------------------------------
# The time the programs must carry: SOURCE_DATE_EPOCH where it is set, else
# the time of the checkout's commit, as the build takes it.
commit_time() {
  if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "$SOURCE_DATE_EPOCH"
  else
    GIT_CEILING_DIRECTORIES=$(dirname "$checkout") git -C "$checkout" log -1 --format=%ct 2>/dev/null
  fi
}

# u32 FILE OFFSET: the little-endian 32-bit number at OFFSET.
u32() {
  od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '
}

# The PE checksum as Windows computes it: the sum of the file's 16-bit words
# with end-around carry, the checksum field counted as 0, plus the length.
pe_checksum() {
  od -An -v -tu2 -w2 "$1" | awk -v field=$(($2 / 2)) -v size="$(stat -c %s "$1")" '
    NR - 1 != field && NR - 2 != field { sum += $1; sum = sum % 65536 + int(sum / 65536) }
    END { print sum + size }'
}

with_date() {
  echo "$1 ($(date -u -d "@${1:-0}" '+%F %T UTC'))"
}

check_reproducible() {
  local dist build want program pe leaks
  dist=$(cd "$(dirname "$exe")" && pwd)
  build=$(dirname "$dist")
  want=$(commit_time)
  if ! [[ $want =~ ^[0-9]+$ ]]; then
    fail "commit time: SOURCE_DATE_EPOCH is not set and git gives no commit for $checkout"
    return
  fi
  for program in "$dist"/*.EXE; do
    pe=$(u32 "$program" 60)
    # The file header's TimeDateStamp; the optional header's CheckSum.
    expect "$(basename "$program") PE time stamp (the commit's)" \
      "$(with_date "$(u32 "$program" $((pe + 8)))")" "$(with_date "$want")"
    expect "$(basename "$program") PE checksum" \
      "$(u32 "$program" $((pe + 88)))" "$(pe_checksum "$program" $((pe + 88)))"
  done
  leaks=$(grep -l -a -F -e "$checkout" -e "$build" "$dist"/* | xargs -r -n 1 basename | xargs)
  if [ -z "$leaks" ]; then
    ok "no file of $dist names $checkout or $build"
  else
    fail "files of $dist that name $checkout or $build: $leaks"
  fi
}

echo "check-static: $arch $exe"
check_format
check_imports
check_imported_functions
check_resources
check_manifest
if [ "$arch" = x86 ]; then
  check_size
fi
check_reproducible
finish
