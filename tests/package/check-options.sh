#!/usr/bin/env bash
# Every option that "orvandel --help" names is described in the manual page (under OPTIONS)
# and offered by the bash completion, so that the three cannot drift apart.
# Usage: check-options.sh PROGRAM MANUAL_PAGE COMPLETION_FILE
set -uo pipefail

program=$1
manual=$2
completion=$3

help=$("$program" --help) || {
    echo "FAIL: $program --help exited with $?" >&2
    exit 1
}
# The options: words of the help that start with "-" or "--" after a blank, a bracket, a bar
# or a comma (so that "read-only" in a sentence is none).
mapfile -t options < <(grep -oE '(^|[][ |(,])--?[a-z][a-z-]*' <<<"$help" | sed 's/^[][ |(,]//' | LC_ALL=C sort -u)
if [ ${#options[@]} -lt 5 ]; then
    echo "FAIL: only ${#options[@]} options found in --help: ${options[*]}" >&2
    exit 1
fi

# The manual page's OPTIONS section, as roff writes the options (\- for each "-"), a tag line
# (after .TP) per option.
options_section=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$manual" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
tags=$(grep -A1 '^\.TP' <<<"$options_section" | grep -v '^\.TP\|^--$')

# What the completion offers at the places options go: the first word, after "extract --thorough"
# (where the thorough run's options are offered), and after "extract --fetch" (its own too).
# shellcheck source=/dev/null
source /usr/share/bash-completion/bash_completion
# shellcheck source=/dev/null
source "$completion"
offered() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _orvandel orvandel "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}"
}
completions=$(
    offered orvandel -
    offered orvandel extract --thorough -
    offered orvandel extract --fetch -
)

failures=0
for option in "${options[@]}"; do
    if ! grep -qE "(^|[ ,\"])$option([ ,\"]|$)" <<<"$tags"; then
        echo "FAIL: the manual page's OPTIONS do not describe $option" >&2
        failures=$((failures + 1))
    fi
    if ! grep -qxF -- "$option" <<<"$completions"; then
        echo "FAIL: the bash completion does not offer $option" >&2
        failures=$((failures + 1))
    fi
done
if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "${#options[@]} options in --help, the manual page and the completion: ${options[*]}"
