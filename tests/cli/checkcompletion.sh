#!/usr/bin/env bash
# Runs the bash completion of telvanectl on typed lines and checks what it
# offers. Usage: checkcompletion.sh COMPLETION_SCRIPT
set -u
source /usr/share/bash-completion/bash_completion
source "$1"

failed=0
# line typed so far (the cursor at its end) | words that must be offered | words that must not
while IFS='|' read -r line want refuse; do
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _telvanectl
    offered=" ${COMPREPLY[*]} "
    for w in $want; do
        [[ $offered == *" $w "* ]] || { echo "FAIL '$line': $w not offered (got:$offered)"; failed=1; }
    done
    for w in $refuse; do
        [[ $offered != *" $w "* ]] || { echo "FAIL '$line': $w offered"; failed=1; }
    done
done <<'CASES'
telvanectl p|ports push|query
telvanectl --json q|query|push
telvanectl --port /dev/ttyS0 li|listen|
telvanectl code |query set|--all
telvanectl send --|--ctl --terminal-id --text --json|--all --frames
telvanectl listen --|--frames --duration|--ctl
telvanectl push a.png --compress |none 7z|
telvanectl endurance a.png --mode |wake send wake-send send-wake|
telvanectl --parity |none even odd space mark|
telvanectl query --|--all --port|--frames
CASES
[ $failed -eq 0 ] && echo "completion cases passed"
exit $failed
