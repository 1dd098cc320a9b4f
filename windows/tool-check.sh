#!/usr/bin/env bash
# soundprofile-tool.exe under Wine as a script would use it: info, export and import with their
# exact output, file names outside the ANSI code page, and the exit status of wrong usage and bad
# input.   windows/tool-check.sh WINE TOOL.exe
set -uo pipefail
wine=$1
tool="$(realpath "$2")"
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1

failures=0
fail() {
    echo "FAIL: $*"
    ((failures++))
}
# Runs the tool with these words; its exit status in $status, what it printed in out and err.
run() {
    "$wine" "$tool" "$@" >out 2>err </dev/null
    status=$?
}
expect_file() { # FILE EXPECTED-BYTES (printf format)
    # shellcheck disable=SC2059
    cmp -s "$1" <(printf "$2") || fail "$1 is $(od -c "$1" | head -5)"
}

printf '20;1\r\n40;2,5\r\n' >'Messung Ω.txt'
run import 'Messung Ω.txt' 'Größe Ω.ump'
[[ $status -eq 0 ]] || fail "import: status $status: $(cat err)"
# The profile as the editor saves it: version 1, the name in UTF-16LE, two rows of two floats.
expect_file 'Größe Ω.ump' '\001\0\0\0\011\0\0\0M\0e\0s\0s\0u\0n\0g\0 \0\251\003\002\0\0\0\002\0\0\0\0\0\240A\0\0\200?\002\0\0\0\0\0\040B\0\0\040@'

run info 'Größe Ω.ump'
[[ $status -eq 0 ]] || fail "info: status $status: $(cat err)"
expect_file out 'Name: Messung Ω\r\nPoints: 2\r\nFrequency (Hz): 20 to 40\r\nGain (dB): 1 to 2.5\r\n'

run export 'Größe Ω.ump' 'Ausgabe ü.csv'
[[ $status -eq 0 ]] || fail "export: status $status: $(cat err)"
expect_file 'Ausgabe ü.csv' 'frequency,gain\r\n20,1\r\n40,2.5\r\n'
run export 'Größe Ω.ump' eq.txt --format graphiceq
expect_file eq.txt 'GraphicEQ: 20 1; 40 2.5\r\n'

# words | exit status | a text standard error must hold
while IFS='|' read -r words expected message; do
    [[ -z $expected ]] && continue
    eval "set -- $words"
    run "$@"
    [[ $status -eq $expected ]] || fail "$words: status $status, expected $expected"
    grep -qF -- "$message" err || fail "$words: standard error lacks '$message': $(cat err)"
done <<'CASES'
|2|a command is missing
info|2|expected 1 file name
frobnicate|2|unknown command frobnicate
info 'Größe Ω.ump' extra.ump|2|expected 1 file name
export 'Größe Ω.ump' out.xyz|2|cannot tell the format from the name out.xyz
import 'Messung Ω.txt' out.ump --gain-column 0|2|--gain-column takes a whole number from 1 up
info 'Fehlt Ω.ump'|1|Fehlt Ω.ump
export 'Größe Ω.ump' 'Größe Ω.ump' --format csv|1|is the same file as
import 'Messung Ω.txt' x.ump --gain-column 3|1|--gain-column 3 is beyond them
CASES
[[ -e out.xyz || -e x.ump ]] && fail "a refused command wrote a file"

[[ $failures -eq 0 ]] && echo "soundprofile-tool.exe: all cases pass"
exit $((failures > 0))
