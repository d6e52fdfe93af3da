#!/bin/bash
# The man page against the program: man finds nothing to warn of, every command of
# "inftool --help" has a section, and every option of a command's help is in its section,
# with the same value name, and the other way round.
#   check-man-page.sh INFTOOL PAGE
set -u
inftool=${1:?inftool} page=${2:?man page}
failed=0

fail() {
    echo "check-man-page: $*" >&2
    failed=1
}

warnings=$(MANPAGER=cat LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null) ||
    fail "man -l $page failed"
[ -z "$warnings" ] || fail "man --warnings: $warnings"

# The page's source with groff's hyphens plain: "\-\-from" is "--from".
source=$(sed 's/\\-/-/g' "$page")

# "--name VALUE" or "--name" per option of one command's section, sorted.
page_options() {
    awk -v command="$1" '
        /^\.S[SH] / { inside = ($1 == ".SS" && $2 == command); next }
        inside && previous == ".TP" && /^\.BI? --/ {
            value = $0
            sub(/^\.BI? /, "", value)
            gsub(/"/, "", value)
            print value
        }
        { previous = $0 }' <<<"$source" | sed 's/  */ /g; s/ $//' | sort
}
help_options() {
    "$inftool" help "$1" | sed -n 's/^  \(--[a-z-]*\( [A-Z]*\)\?\) .*/\1/p' | sed 's/ $//' | sort
}

commands=$("$inftool" --help | awk '/^commands:/ { on = 1; next } on && NF == 0 { exit }
    on && $1 != "help" { print $1 }' | sort)
sections=$(sed -n 's/^\.SS \([a-z]*\)$/\1/p' "$page" | sort)
[ -n "$commands" ] || fail "inftool --help lists no command"
for command in $commands; do
    grep -qx "$command" <<<"$sections" || fail "no section for the command $command"
done
for section in $sections; do
    grep -qx "$section" <<<"$commands" || { fail "a section for no command: $section"; continue; }
    diff=$(diff <(help_options "$section") <(page_options "$section")) ||
        fail "$section: the help's options (<) and the page's (>) differ:"$'\n'"$diff"
done
[ "$failed" -eq 0 ] && echo "check-man-page: $page and inftool agree on $(wc -w <<<"$commands") commands"
exit "$failed"
