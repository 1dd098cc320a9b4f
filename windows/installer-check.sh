#!/usr/bin/env bash
# The tool's installer under Wine, silently: it installs the tool into Program Files and puts its
# folder on the system PATH, where a new command prompt finds it; its uninstaller takes both back
# and leaves the PATH as it was.   windows/installer-check.sh WINE SETUP.exe
set -uo pipefail
wine=$1
setup="$(realpath "$2")"
prefix=${WINEPREFIX:-$HOME/.wine}
folder='C:\Program Files\soundprofile-tool'
installed="$prefix/drive_c/Program Files/soundprofile-tool"
environment='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'

failures=0
fail() {
    echo "FAIL: $*"
    ((failures++))
}
system_path() {
    "$wine" reg query "$environment" /v Path </dev/null 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Path *REG_[A-Z_]* *//p'
}
# Waits up to a minute for a condition: the uninstaller runs from a copy of itself and returns
# at once.
wait_for() {
    for _ in $(seq 60); do
        eval "$1" && return 0
        sleep 1
    done
    return 1
}

before="$(system_path)"
[[ -n $before ]] || fail "no system PATH to start from"
[[ ! -e $installed ]] || fail "$installed is there before the installation"

"$wine" "$setup" /S </dev/null >/dev/null 2>&1 || fail "the installer failed"
[[ -f $installed/soundprofile-tool.exe ]] || fail "no $installed/soundprofile-tool.exe"
[[ -f $installed/uninstall.exe ]] || fail "no uninstaller"
after="$(system_path)"
[[ $after == "$before;$folder" ]] || fail "PATH after installing: '$after'"
# A second installation over the first adds the folder once.
"$wine" "$setup" /S </dev/null >/dev/null 2>&1 || fail "the second installation failed"
[[ "$(system_path)" == "$after" ]] || fail "PATH after installing twice: '$(system_path)'"

# Found by its name alone, as a user types it.
help="$("$wine" cmd /c soundprofile-tool --help </dev/null 2>&1 | tr -d '\r')"
[[ $help == Usage:* ]] || fail "soundprofile-tool is not found through the PATH: $help"

"$wine" "$installed/uninstall.exe" /S </dev/null >/dev/null 2>&1
wait_for '[[ ! -e $installed ]]' || fail "$installed is left after uninstalling: $(ls "$installed")"
[[ "$(system_path)" == "$before" ]] || fail "PATH after uninstalling: '$(system_path)'"

[[ $failures -eq 0 ]] && echo "installer: all cases pass"
exit $((failures > 0))
