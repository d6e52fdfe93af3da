# Shared by table.sh and sweep.sh, which run under "wine-env.sh STATE exec" (WINEPREFIX, WINE,
# WINESERVER and DISPLAY set) with the GUI tests' GUI_SETUP_EXE, GUI_FOLLOWON_EXE and
# GUI_DATA_DIR. The installer runs from media in C:\gui-faults; its calls on the watched files
# are made to fail or are stopped by strace, in its own process or in the wineserver, which
# opens, renames and deletes files for it. Files are judged from here, outside Wine.
# shellcheck shell=bash
# shellcheck disable=SC2154,SC2034 # answers and out are the caller's

ENV_SCRIPT=$(dirname "$0")/../wine-env.sh
readonly ENV_SCRIPT
readonly DRIVE_C=$WINEPREFIX/drive_c
readonly MEDIA=gui-faults
readonly SETUP_WIN="C:\\$MEDIA\\setup.exe"
readonly SCRATCH=$WINEPREFIX/../faults
# The temporary names the installer gives in a folder, beside the one it sets an old file aside
# under on the 9x way.
readonly TEMP_NAMES="~setup0000.tmp ~setup0001.tmp"

if ! strace -f -o /dev/null true 2>/dev/null; then
    echo "SKIPPED: strace cannot trace here"
    exit 77
fi
mkdir -p "$SCRATCH" "$(dirname "$LOG")" || exit 1
: >"$LOG"
passed=0
failed=0

# untraced REASONS: the run's tracer did not attach in time, so it injected nothing.
untraced() {
    [[ $1 == *"no tracer came"* || $1 == *"cannot trace"* ]]
}

# The counts, and the script's status: every case passed, and there was one.
summary() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}

# Windows' TWAIN_32 folder empty, or absent with "absent".
reset_twain() {
    rm -rf "$DRIVE_C/windows/TWAIN_32"
    [ "${1:-}" = absent ] || mkdir -p "$DRIVE_C/windows/TWAIN_32"
}

# result NAME REASONS: one line a case, counted by tools/test.
result() {
    local line
    if [ -z "$2" ]; then
        passed=$((passed + 1))
        line="$KIND: ok: $1"
    else
        failed=$((failed + 1))
        line="$KIND: FAILED: $1:$2"
    fi
    echo "$line"
    echo "$line" >>"$LOG"
}

# lay_out "LINE\r\n"... SOURCE...: the media with that [Files] section; each SOURCE is
# DIR/NAME of a data file, put in DIR of the media.
lay_out() {
    local files=$1 src
    shift
    rm -rf "${DRIVE_C:?}/$MEDIA"
    mkdir -p "$DRIVE_C/$MEDIA/photo" "$DRIVE_C/$MEDIA/DISK1" "$DRIVE_C/$MEDIA/TWAIN"
    cp "$GUI_SETUP_EXE" "$DRIVE_C/$MEDIA/setup.exe"
    cp "$GUI_FOLLOWON_EXE" "$DRIVE_C/$MEDIA/photo/setup.EXE"
    printf '[Application]\r\nAppName = Fault test\r\n[Disks]\r\n1 = Disk One\r\n[Dirs]\r\n1 = DISK1\r\n2 = TWAIN\r\n[Files]\r\n%b[End]\r\n' \
        "$files" >"$DRIVE_C/$MEDIA/SETUP.INF"
    for src; do cp "$GUI_DATA_DIR/${src#*/}" "$DRIVE_C/$MEDIA/$src"; done
}

# watch REL...: strace's -P for files below C:, in both of Wine's spellings: the wineserver
# opens through dosdevices and renames from drive_c.
watch() {
    local rel
    for rel; do
        watched+=(-P "$DRIVE_C/$rel" -P "$WINEPREFIX/dosdevices/c:/$rel")
    done
}

aside_of() {
    echo "$(dirname "$1")/~setup~$(basename "$1").tmp"
}

# watch_temps DEST: the names the installer writes under for DEST (relative to C:).
watch_temps() {
    local name
    for name in $TEMP_NAMES; do watch "$(dirname "$1")/$name"; done
    watch "$(aside_of "$1")"
}

temps_left() {
    find "$DRIVE_C/windows" -maxdepth 2 -iname '~setup*.tmp' -printf '%P '
}

# attach PID LOG ARGS...: strace with ARGS attached to PID and its threads, added to tracers once
# it has attached.
attach() {
    local pid=$1 log=$2 waited=0
    shift 2
    strace -f -o "$log" "$@" -p "$pid" 2>>"$SCRATCH/strace.err" &
    tracers+=($!)
    until [ "$(awk '$1 == "TracerPid:" { print $2 }' "/proc/$pid/status" 2>/dev/null)" = "$!" ]; do
        [ $waited -lt 200 ] && kill -0 "$!" 2>/dev/null || return 1
        sleep 0.02
        waited=$((waited + 1))
    done
}

# The Linux processes of the installer in this prefix: Wine names each after the program, and
# gives the program's path as its first argument, or its third under qemu-i386.
installer_pids() {
    local comm pid
    # shellcheck disable=SC2013 # file names without blanks
    for comm in $(grep -lx setup.exe /proc/[0-9]*/comm 2>/dev/null); do
        pid=${comm%/comm}
        if tr '\0' '\n' 2>/dev/null <"$pid/cmdline" | grep -qFx "$SETUP_WIN" &&
            tr '\0' '\n' 2>/dev/null <"$pid/environ" | grep -qFx "WINEPREFIX=$WINEPREFIX"; then
            echo "${pid#/proc/}"
        fi
    done
}

# No installer of an earlier run is left: one that a driver gave up on is ended here.
no_installer_left() {
    local waited=0 pids
    while pids=$(installer_pids) && [ -n "$pids" ]; do
        # shellcheck disable=SC2086 # one id a word
        [ $waited -lt 100 ] || kill -KILL $pids 2>/dev/null
        sleep 0.05
        waited=$((waited + 1))
    done
}

# run_setup WHO ARGS...: one run of the installer. With WHO program, server or both, strace with
# ARGS attaches to the installer, the wineserver or both while the GUI driver holds the installer
# made but not started, leaving program.trace and server.trace; the driver then gives the
# answers of the array answers. WHO "-" without answers: the installer alone. Sets code to its
# exit code (-1 when the driver failed) and out (the caller's) to what was said.
run_setup() {
    local who=$1 hold=$DRIVE_C/gui-faults-hold driver pid server
    local -a tracers=()
    shift
    if [ "$who" = - ] && [ ${#answers[@]} -eq 0 ]; then
        no_installer_left
        timeout -s KILL 60 "$WINE" "$SETUP_WIN" >"$SCRATCH/run.out" 2>&1
        code=$?
        out=$(tr '\n' ' ' <"$SCRATCH/run.out")
        return
    fi
    no_installer_left
    rm -rf "$hold" "$SCRATCH"/*.trace
    mkdir -p "$hold"
    GUI_HOLD_DIR='C:\gui-faults-hold' timeout -s KILL 300 "$WINE" "$GUIDRIVER" --answer "$SETUP_WIN" \
        "${answers[@]}" >"$SCRATCH/run.out" 2>&1 &
    driver=$!
    while [ ! -s "$hold/ready" ] && kill -0 "$driver" 2>/dev/null; do sleep 0.02; done
    if [ "$who" = program ] || [ "$who" = both ]; then
        pid=$(installer_pids) && attach "$pid" "$SCRATCH/program.trace" "$@" ||
            echo "cannot trace the installer" >>"$SCRATCH/run.out"
    fi
    if [ "$who" = server ] || [ "$who" = both ]; then
        server=$("$ENV_SCRIPT" "$WINE_ENV_STATE" server-pid) && attach "$server" "$SCRATCH/server.trace" "$@" ||
            echo "cannot trace the wineserver" >>"$SCRATCH/run.out"
    fi
    touch "$hold/go"
    # Without the shell's word of a driver that a stop in the wineserver killed.
    { wait "$driver"; } 2>/dev/null
    code=$?
    # A tracer ended by SIGTERM lets go of its processes and leaves them running.
    if [ ${#tracers[@]} -gt 0 ]; then
        kill "${tracers[@]}" 2>/dev/null
        wait "${tracers[@]}" 2>/dev/null
    fi
    out=$(tr '\n' ' ' <"$SCRATCH/run.out")
    if [ "$code" -eq 0 ]; then
        code=$(sed -nE 's/^installer exit code ([0-9]+).*/\1/p' "$SCRATCH/run.out")
    else
        code=-1
    fi
    [ -n "$code" ] || code=-1
}

# holds PATH REF: the file has exactly the bytes of REF (a data file's name or a path).
holds() {
    local ref=$2
    [ "${ref#/}" != "$ref" ] || ref=$GUI_DATA_DIR/$ref
    [ -f "$1" ] && cmp -s "$1" "$ref"
}

# whole_log PATH: the installer's log is whole CR LF lines, the first its version.
whole_log() {
    [ "$(tail -c 2 "$1" 2>/dev/null | od -An -tx1 | tr -d ' ')" = 0d0a ] &&
        [ "$(tr -d '\r' <"$1" | wc -l)" = "$(grep -c $'\r$' "$1")" ] && head -1 "$1" | grep -q '^setup '
}

# describe PATH: the size of what a destination holds, for a failure's reason.
describe() {
    if [ -f "$1" ]; then stat -c '%s bytes' "$1"; else echo "absent"; fi
}

# The wineserver again after a stop in it ended every process of the prefix.
restart_server() {
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w
    "$ENV_SCRIPT" "$WINE_ENV_STATE" end-orphans
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
}

# windows_version VERSION: what Wine tells setup.exe (win95), or its default (-). Saved to the
# disk at once, so that a wineserver stopped by a fault does not take it back.
windows_version() {
    local key='HKCU\Software\Wine\AppDefaults\setup.exe'
    if [ "$1" = - ]; then
        "$WINE" reg delete "$key" /f >/dev/null 2>&1
    else
        "$WINE" reg add "$key" /v Version /d "$1" /f >/dev/null 2>&1
    fi
    restart_server
}
