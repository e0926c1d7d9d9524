#!/usr/bin/env bash
# Sources the bash completion with bash-completion's helpers and checks what it offers for a
# table of command lines, in a folder of card files, other files and folders.
# Usage: check-completion.sh COMPLETION_FILE
set -uo pipefail

completion=$1
helpers=/usr/share/bash-completion/bash_completion
if [ ! -r "$helpers" ]; then
    echo "bash-completion is not installed ($helpers): the completion cannot be loaded" >&2
    exit 1
fi
# shellcheck source=/dev/null
source "$helpers"
# shellcheck source=/dev/null
source "$completion"
if [ "$(complete -p orvandel 2>/dev/null)" != "complete -F _orvandel orvandel" ]; then
    echo "FAIL: the completion does not register _orvandel for orvandel" >&2
    exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
mkdir cards "old photos"
touch ada.vcf BRUNO.VCF carla.vcard notes.txt "emil brandt.vcf" cards/farah.vcf -- -dash.vcf

# What bash would pass for LINE with the cursor at its end: the words split at blanks, "="
# a word of its own (as COMP_WORDBREAKS splits it), and an empty word after a trailing blank.
complete_line() {
    local line=$1
    COMP_LINE=$line
    COMP_POINT=${#line}
    read -ra COMP_WORDS <<<"${line//=/ = }"
    [[ $line == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _orvandel orvandel "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    [ ${#COMPREPLY[@]} -eq 0 ] && return
    printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' '|'
}

failures=0
# line <TAB> the offers, sorted and each followed by "|"
while IFS=$'\t' read -r line expected; do
    [ -z "$line" ] && continue
    [ "$expected" = "-" ] && expected=""
    actual=$(complete_line "$line")
    if [ "$actual" != "$expected" ]; then
        echo "FAIL: '$line' offers '$actual', expected '$expected'" >&2
        failures=$((failures + 1))
    fi
done <<'TABLE'
orvandel ex	extract|
orvandel 	-dash.vcf|BRUNO.VCF|ada.vcf|cards|carla.vcard|emil brandt.vcf|extract|old photos|
orvandel -	--|--fetch-local|--help|--thorough|--version|-h|
orvandel --th	--thorough|
orvandel --thorough -	--|--fetch-local|
orvandel --fetch-local --thorough -	--|
orvandel --thorough c	cards|carla.vcard|
orvandel ada.vcf --	--|--fetch-local|--thorough|
orvandel extract --	--|--fetch|--help|--json|--output|--pattern|--summary|--thorough|
orvandel extract --thorough --	--|--fetch|--help|--json|--logos|--name|--output|--pattern|--summary|--unique|
orvandel extract --fetch --	--|--fetch-local|--fetch-timeout|--help|--json|--logos|--name|--output|--pattern|--summary|--unique|
orvandel extract --fetch --fetch-timeout 	-
orvandel extract -	--|--fetch|--help|--json|--output|--pattern|--summary|--thorough|-h|-o|
orvandel extract --j	--json|
orvandel extract -o 	cards|old photos|
orvandel extract --output 	cards|old photos|
orvandel extract --output=o	old photos|
orvandel extract -o cards 	-dash.vcf|BRUNO.VCF|ada.vcf|cards|carla.vcard|emil brandt.vcf|old photos|
orvandel extract -o cards e	emil brandt.vcf|
orvandel extract -o cards n	-
orvandel extract -o cards cards/	cards/farah.vcf|
orvandel extract --pattern 	-
orvandel extract --thorough --name {f	{file}|{file}-{n}|{fn}|{fn}-{n}|
orvandel extract --thorough --name={u	{uid}|
orvandel extract --name {f	-
orvandel extract -o cards -- -	-dash.vcf|
orvandel -- -	-dash.vcf|
TABLE

if [ "$failures" -ne 0 ]; then
    echo "$failures completions are wrong" >&2
    exit 1
fi
echo "completions checked"
