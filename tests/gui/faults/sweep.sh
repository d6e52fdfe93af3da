#!/bin/bash
# sweep.sh GUIDRIVER LOG nt|9x [PATTERN]: stops the installer at every step of a pass over two entries,
# one plain and one compressed, each over an old file: for each call that the pass makes on
# their files, in the installer's process or in the wineserver, and each k up to the number of
# such calls, a run is killed at the k-th (the wineserver's death ends every process of the
# prefix). Each destination must then hold its old bytes or its new ones, and a second run must
# install both and leave no temporary file; the stopped run's log (/LOG) must be readable to its
# last line, whole CR LF lines from the first. Prints and logs "stop: ok: WAY.WHO.CALL.K" lines (for
# the points whose name matches PATTERN).
# The calls are those that open, read, write, flush, cut, rename, delete or make a file: between
# two of them nothing on the disk changes. Run under "wine-env.sh STATE exec".
set -u
readonly GUIDRIVER=$1 LOG=$2 WAY=$3 PATTERN=${4:-.} KIND=stop
# shellcheck source=tests/gui/faults/lib.sh
. "$(dirname "$0")/lib.sh"

readonly CALLS=read,write,fsync,openat,ftruncate,rename,renameat,renameat2,unlink,unlinkat,mkdir
readonly PLAIN=windows/GFSWP.INI PACKED=windows/TWAIN_32/GFSWP.DLL
readonly -a DESTS=("$PLAIN" "$PACKED") NEW=(PLAIN.INI OTHER.INI)

watched=()
watch "$MEDIA/DISK1/PLAIN.INI" "$MEDIA/TWAIN/OTHER.IN_" "$PLAIN" "$PACKED"
watch_temps "$PLAIN"
watch_temps "$PACKED"
answers=()

# The media and the old files, as before every run that is stopped.
prepare() {
    lay_out 'Plain, PLAIN.INI, GFSWP.INI, 1, 1, N\r\nPacked, OTHER.IN_, GFSWP.DLL, 2, 1, Y\r\n' \
        DISK1/PLAIN.INI TWAIN/OTHER.IN_
    reset_twain
    rm -f "$DRIVE_C"/windows/~setup*.tmp
    printf 'old plain file' >"$DRIVE_C/$PLAIN"
    printf 'old expanded file' >"$DRIVE_C/$PACKED"
    cp "$DRIVE_C/$PLAIN" "$SCRATCH/old0"
    cp "$DRIVE_C/$PACKED" "$SCRATCH/old1"
}

# Each destination whole, old or new; on the 9x way an old file may be aside, its name free.
judge_stopped() {
    local i dest
    for i in 0 1; do
        dest=$DRIVE_C/${DESTS[i]}
        holds "$dest" "$SCRATCH/old$i" || holds "$dest" "${NEW[i]}" ||
            { [ "$WAY" = 9x ] && [ ! -e "$dest" ] && holds "$DRIVE_C/$(aside_of "${DESTS[i]}")" "$SCRATCH/old$i"; } ||
            why+=" ${DESTS[i]} holds neither its old nor its new bytes ($(describe "$dest"))"
    done
}

judge_installed() {
    local i left
    [ "$code" = 0 ] || why+=" $1 exit code $code ($out)"
    for i in 0 1; do
        holds "$DRIVE_C/${DESTS[i]}" "${NEW[i]}" ||
            why+=" $1 did not install ${DESTS[i]} ($(describe "$DRIVE_C/${DESTS[i]}"))"
    done
    left=$(temps_left)
    [ -z "$left" ] || why+=" $1 left $left"
}

# census: "WHO CALL COUNT" for every call the pass makes, from an untouched run of both traces.
census() {
    local who
    prepare
    run_setup both "${watched[@]}" -e trace=$CALLS
    why=
    judge_installed "the counted run"
    [ -z "$why" ] || {
        result "$WAY.census" "$why"
        return 1
    }
    for who in program server; do
        # "PID call(" lines; a call split by another thread's is counted at its start.
        awk -v who=$who '{ call = $2; sub(/\(.*/, "", call); if ($2 ~ /^[a-z0-9_]+\(/) n[$1 " " call]++ }
            END { for (k in n) { split(k, f, " "); print who, f[2], n[k], f[1] } }' "$SCRATCH/$who.trace"
    done | sort >"$SCRATCH/census"
    # The counting of "when=k" is per thread: each call must come from one thread only.
    why=$(awk '{ seen[$1 " " $2]++ } END { for (k in seen) if (seen[k] > 1) printf " %s is made by several threads", k }' "$SCRATCH/census")
    result "$WAY.census" "$why"
}

stop_at() {
    local who=$1 call=$2 k=$3 attempt
    # A run whose tracer did not attach in time stopped nothing and tested nothing: it is made
    # once more, from the start.
    for attempt in 1 2; do
        why=
        prepare
        rm -f "$DRIVE_C/gui-faults-sweep.log"
        GUI_SETUP_ARGS='/LOG=C:\gui-faults-sweep.log' \
            run_setup "$who" "${watched[@]}" -e trace="$call" -e inject="$call:signal=KILL:when=$k"
        grep -q 'killed by SIGKILL' "$SCRATCH/$who.trace" 2>/dev/null && break
        why+=" no stop came ($out)"
        if [ "$attempt" = 2 ] || ! untraced "$out"; then
            break
        fi
        restart_server
    done
    [ "$who" = program ] || restart_server
    judge_stopped
    whole_log "$DRIVE_C/gui-faults-sweep.log" || why+=" the stopped run's log is not whole lines"
    run_setup -
    judge_installed "the next run"
    result "$WAY.$who.$call.$k" "$why"
}

[ "$WAY" = nt ] || windows_version win95
if census; then
    while read -r who call count _; do
        for ((k = 1; k <= count; k++)); do
            [[ $WAY.$who.$call.$k =~ $PATTERN ]] && stop_at "$who" "$call" "$k"
        done
    done <"$SCRATCH/census"
fi
[ "$WAY" = nt ] || windows_version -
summary
