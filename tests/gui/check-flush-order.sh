#!/bin/bash
# check-flush-order.sh TRACE [CMD...]: runs CMD, which leaves the program's and the wineserver's
# strace records in TRACE (wine-env.sh run-traced), each line "PID TIME CALL"; then checks that
# every temporary file of the installer that was renamed into place had its data flushed first.
set -uo pipefail
trace=${1:?trace folder}
shift
if [ $# -gt 0 ]; then
    "$@" || exit
fi
sort -s -n -k2,2 "$trace/program" "$trace/server" | awk '
    # A call that another traced process interrupts is split into "<unfinished ...>" and
    # "<... fsync resumed>" lines; it counts once it has returned 0.
    / fsync\(/ {
        path = $0
        sub(/^[^<]*</, "", path)
        sub(/>\).*$/, "", path)
        if (/unfinished/) pending[$1] = path
        else if (/= 0$/) flushed[path] = 1
    }
    /<\.\.\. fsync resumed>/ && /= 0$/ { flushed[pending[$1]] = 1 }
    / rename(at2?)?\(/ {
        source = $0
        sub(/^[^"]*"/, "", source)
        sub(/".*$/, "", source)
        if (source !~ /\/~setup[0-9a-f][0-9a-f][0-9a-f][0-9a-f]\.tmp$/) next
        renamed++
        if (!(source in flushed)) {
            print "FAIL: " source " renamed at " $2 " before its data was flushed"
            unflushed++
        }
        delete flushed[source]
    }
    END {
        printf "%d temporary file(s) renamed into place, %d of them not flushed first\n", renamed, unflushed
        exit (renamed == 0 || unflushed > 0)
    }'
