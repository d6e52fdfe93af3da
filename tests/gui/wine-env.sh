#!/bin/bash
# Wine environment of the GUI scenarios: one Xvfb screen and one Wine prefix per build folder.
#
#   wine-env.sh STATE start            start Xvfb 640x480x24 (or use WINE_ENV_DISPLAY), create the
#                                      prefix, start its wineserver
#   wine-env.sh STATE stop             stop that wineserver and that Xvfb, unmount a leftover tmpfs
#   wine-env.sh STATE run CMD...       run a Windows program in the prefix on the Xvfb screen
#   wine-env.sh STATE run-tmpfs KB CMD...  the same with a KB-sized tmpfs over the prefix's TWAIN_32
#   wine-env.sh STATE run-floppies A B CMD...  the same with floppy images A and B mounted
#                                      read-only as drives A: and B:
#   wine-env.sh STATE run-cd ISO CMD...  the same with the CD image ISO mounted read-only as
#                                      drive D: of type cdrom
#   wine-env.sh STATE run-traced TRACE CMD...  the same with the program and the wineserver under
#                                      strace, their flushes and renames of files in TRACE
#   wine-env.sh STATE exec CMD...     run a Linux command with the prefix's settings exported: its
#                                      WINEPREFIX, DISPLAY, WINE (the loader), WINESERVER
#   wine-env.sh STATE server-pid       the process id of the prefix's wineserver
#   wine-env.sh STATE end-orphans      end the prefix's Wine processes that outlived its stopped
#                                      wineserver
#   wine-env.sh - make-data DIR        originals and compressed test files
#   wine-env.sh - compress IN OUT      compress one file into the FOO.DL_ form
#
# STATE is a folder of the build tree; it holds the prefix and the ids of what was started.
# WINEARCH (win64 or win32) picks the Wine: win32 runs the 32-bit loader, which needs a kernel
# that runs i386 code or the emulation tools/test registers. One 64-bit wineserver serves both.
set -u

readonly WINEARCH=${WINEARCH:-win64}
case "$WINEARCH" in
win64) readonly WINE=/usr/lib/wine/wine64 ;;
win32) readonly WINE=/usr/lib/wine/wine ;;
*)
    echo "wine-env: unknown WINEARCH $WINEARCH" >&2
    exit 1
    ;;
esac
readonly WINESERVER=/usr/lib/wine/wineserver64
readonly SCREEN=640x480x24
readonly ROOT_DRIVE=r:
readonly WINE_FONTS='Z:\usr\share\wine\fonts'
readonly SKIP_CODE=77

state=${1:?state folder}
[ "$state" = - ] || state=$(realpath -m "$state")
cmd=${2:?command}
shift 2

prefix="$state/prefix"
# shellcheck source=tools/floppy-mount.sh
. "$(dirname "$0")/../../tools/floppy-mount.sh"

die() {
    echo "wine-env: $*" >&2
    exit 1
}

# The single place that produces compressed files: the project's own packer (INFTOOL, the
# host build's inftool), or Debian's mscompress where no host build exists.
compress_file() {
    local in=$1 out=$2 tmp
    if [ -n "${INFTOOL:-}" ] && [ -x "$INFTOOL" ]; then
        "$INFTOOL" compress "$in" "$out" || die "inftool compress failed on $in"
        return
    fi
    tmp=$(mktemp -d) || die "mktemp failed"
    cp "$in" "$tmp/payload" && (cd "$tmp" && mscompress payload >/dev/null) || die "mscompress failed on $in"
    mv "$tmp/payload_" "$out" || die "no compressed output for $in"
    rm -rf "$tmp"
}

# Deterministic originals: text that compresses well, and bytes from a fixed LCG that do not.
make_data() {
    local dir=$1
    mkdir -p "$dir" || die "cannot create $dir"
    awk 'BEGIN { for (i = 0; i < 900; i++) printf "line %04d of the scanner driver text, the same words again\r\n", i }' \
        >"$dir/TEXT.DLL"
    LC_ALL=C awk 'BEGIN { s = 12345; for (i = 0; i < 65536; i++) { s = (s * 1103515245 + 12345) % 2147483648;
                 printf "%c", int(s / 65536) % 256 } }' >"$dir/BIN.DLL"
    printf '[Scanner]\r\nPort=LPT1\r\nMode=Fast\r\n' >"$dir/PLAIN.INI"
    printf 'second plain file\r\n' >"$dir/OTHER.INI"
    compress_file "$dir/TEXT.DLL" "$dir/TEXT.DL_"
    compress_file "$dir/BIN.DLL" "$dir/BIN.DL_"
    compress_file "$dir/OTHER.INI" "$dir/OTHER.IN_"
    # A plain file of several reads' worth, for a copy that a failing read cuts short.
    cat "$dir/BIN.DLL" "$dir/BIN.DLL" "$dir/BIN.DLL" | head -c 150000 >"$dir/BIG.INI"
    local size
    size=$(stat -c %s "$dir/BIN.DL_")
    head -c $((size / 2)) "$dir/BIN.DL_" >"$dir/TRUNC.DL_"
    [ "$(stat -c %s "$dir/BIN.DLL")" -eq 65536 ] || die "BIN.DLL has the wrong size"
}

wine_env() {
    # Unix file names reach Windows through the locale: a UTF-8 one spells every folder name.
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    export WINEPREFIX="$prefix"
    export WINEARCH
    export WINEDEBUG=-all
    # Wine takes DLL overrides from a process's Unix environment only, so a scenario that needs
    # more of them gets them here, through GUI_DLL_OVERRIDES.
    export WINEDLLOVERRIDES="${GUI_DLL_OVERRIDES:+$GUI_DLL_OVERRIDES;}mscoree,mshtml="
    export WINESERVER
    # A scenario's own locale, settings such as LC_ALL=ja_JP.UTF-8 in GUI_LOCALE: Wine takes the
    # UI language and the ANSI code page from it.
    if [ -n "${GUI_LOCALE:-}" ]; then
        unset LC_ALL
        local setting
        # Bash itself warns of a locale that glibc lacks; Wine does not need it.
        for setting in $GUI_LOCALE; do export "${setting?}" 2>/dev/null; done
    fi
    DISPLAY=$(cat "$state/xvfb.display" 2>/dev/null) || die "Xvfb is not running (no $state/xvfb.display)"
    export DISPLAY
    unset WAYLAND_DISPLAY
}

start_xvfb() {
    local fifo="$state/xvfb.fifo" n
    rm -f "$fifo" && mkfifo "$fifo" || die "cannot make $fifo"
    Xvfb -displayfd 3 -screen 0 "$SCREEN" -nolisten tcp 3>"$fifo" >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    read -r -t 20 n <"$fifo" || die "Xvfb did not report a display"
    rm -f "$fifo"
    echo ":$n" >"$state/xvfb.display"
}

start() {
    if [ "$WINEARCH" = win32 ] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
        die "32-bit programs do not run here: tools/test registers the i386 emulation for this run"
    fi
    mkdir -p "$state" || die "cannot create $state"
    [ -f "$state/xvfb.pid" ] && stop
    if [ -n "${WINE_ENV_DISPLAY:-}" ]; then
        echo "$WINE_ENV_DISPLAY" >"$state/xvfb.display"
    else
        start_xvfb
    fi
    wine_env
    # A fresh prefix for every run: no state of an earlier run can leak into this one.
    unmount_twain
    rm -rf "$prefix"
    "$WINE" wineboot --init >"$state/wineboot.log" 2>&1 || die "wineboot failed, see $state/wineboot.log"
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >>"$state/wineboot.log" 2>&1 || die "cannot turn off the crash dialog"
    # Without a window manager, every hidden managed window costs a 2 s wait for a withdrawal
    # that never comes; unmanaged windows are also placed exactly where they ask to be.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >>"$state/wineboot.log" 2>&1 || die "cannot make the windows unmanaged"
    # Debian's Wine looks for its own fonts in /usr/share/fonts, fonts-wine puts them in
    # /usr/share/wine/fonts: without this path Marlett is missing and caption buttons show
    # letters.
    "$WINE" reg add 'HKCU\Software\Wine\Fonts' /v Path /d "$WINE_FONTS" /f \
        >>"$state/wineboot.log" 2>&1 || die "cannot add Wine's font folder"
    # D: is the CD drive on which run-cd mounts a CD image: Wine takes a drive's type from the
    # registry when the prefix's services start, not at a later run.
    mkdir -p "$state/cd" && ln -sfn "$state/cd" "$prefix/dosdevices/d:" || die "cannot make D:"
    "$WINE" reg add 'HKLM\Software\Wine\Drives' /v d: /d cdrom /f >>"$state/wineboot.log" 2>&1 ||
        die "cannot make D: a CD drive"
    "$WINESERVER" -w
    # With 32-bit Wine installed, a prefix comes with a twain_32 folder of Wine's own data
    # sources; the scenarios start without one, whatever Wine made it.
    find "$prefix/drive_c/windows" -maxdepth 1 -iname TWAIN_32 -exec rm -rf {} + ||
        die "cannot remove the prefix's own TWAIN_32"
    mkdir -p "$prefix/drive_c/gui-root"
    ln -sfn ../drive_c/gui-root "$prefix/dosdevices/$ROOT_DRIVE"
    "$WINESERVER" -p </dev/null >>"$state/wineboot.log" 2>&1 || die "cannot start the wineserver"
    echo "wine-env: display $DISPLAY, prefix $prefix"
}

unmount_twain() {
    local dir="$prefix/drive_c/windows/TWAIN_32"
    if mountpoint -q "$dir" 2>/dev/null; then umount "$dir"; fi
}

# Wine processes of this prefix that outlived its wineserver: a server stopped by a signal leaves
# its device drivers (winedevice.exe) polling a connection that is gone, each taking a share of
# a CPU from every test after it. Known by the prefix in their environment and the Windows
# program name Wine gives each process; only called once the server has ended.
end_orphans() {
    local comm pid
    # shellcheck disable=SC2013 # file names without blanks
    for comm in $(grep -l '\.exe$' /proc/[0-9]*/comm 2>/dev/null); do
        pid=${comm%/comm}
        tr '\0' '\n' 2>/dev/null <"$pid/environ" | grep -qFx "WINEPREFIX=$prefix" &&
            kill -KILL "${pid#/proc/}" 2>/dev/null
    done
    return 0
}

stop() {
    if [ -d "$prefix" ]; then
        WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null
        WINEPREFIX="$prefix" timeout 60 "$WINESERVER" -w 2>/dev/null
        end_orphans
        unmount_twain
        unmount_floppies
        unmount_cd
    fi
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid" "$state/xvfb.display"
    fi
    return 0
}

# Wine leaves helper processes (services, the desktop) running with the output of the program
# that started them; a test runner would wait for them. So the output goes through a file.
run_wine() {
    local out="$state/run.out" rc
    "$WINE" "$@" </dev/null >"$out" 2>&1
    rc=$?
    cat "$out"
    return $rc
}

# GUI_DPI, when set, is the screen's resolution for the one run, as Windows' display settings
# make it; Wine reads it when a process starts.
run() {
    local key='HKCU\Control Panel\Desktop' rc
    wine_env
    [ -z "${GUI_DPI:-}" ] || "$WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$GUI_DPI" /f \
        >/dev/null 2>&1 || die "cannot set LogPixels"
    run_wine "$@"
    rc=$?
    [ -z "${GUI_DPI:-}" ] || "$WINE" reg delete "$key" /v LogPixels /f >/dev/null 2>&1
    return $rc
}

run_tmpfs() {
    local kb=$1 dir="$prefix/drive_c/windows/TWAIN_32" rc
    shift
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIPPED: mounting a tmpfs needs root"
        exit $SKIP_CODE
    fi
    wine_env
    rm -rf "$dir" && mkdir -p "$dir" || die "cannot prepare $dir"
    mount -t tmpfs -o "size=${kb}k" gui-full "$dir" || {
        echo "SKIPPED: cannot mount a tmpfs on $dir"
        exit $SKIP_CODE
    }
    run_wine "$@"
    rc=$?
    umount "$dir"
    exit $rc
}

unmount_floppies() {
    local drive
    for drive in a b; do
        rm -f "$prefix/dosdevices/$drive:"
        floppy_unmount "$state/floppy-$drive"
    done
}

# Skipped where neither mount works. The mounts end with the script, whatever the program did.
run_floppies() {
    local drive image
    wine_env
    trap unmount_floppies EXIT
    for drive in a b; do
        image=$1
        shift
        [ -f "$image" ] || die "no image $image"
        floppy_mount "$image" "$state/floppy-$drive" || {
            echo "SKIPPED: $FLOPPY_MOUNT_FAILED"
            exit $SKIP_CODE
        }
        ln -sfn "$state/floppy-$drive" "$prefix/dosdevices/$drive:"
        echo "wine-env: $image on $drive:, mounted with $FLOPPY_MOUNT_KIND"
    done
    run_wine "$@"
}

unmount_cd() {
    floppy_unmount "$state/cd"
}

# The CD image on D:, a CD drive since start, its files read-only. Skipped where it cannot mount.
run_cd() {
    local iso=$1
    shift
    wine_env
    trap unmount_cd EXIT
    cd_mount "$iso" "$state/cd" || {
        echo "SKIPPED: $FLOPPY_MOUNT_FAILED"
        exit $SKIP_CODE
    }
    echo "wine-env: $iso on d:, mounted with $FLOPPY_MOUNT_KIND"
    run_wine "$@"
}

# This prefix's wineserver: the process that works in the folder named after the prefix's device
# and inode.
server_pid() {
    local dir pid
    dir=server-$(stat -c %D "$prefix")-$(printf %x "$(stat -c %i "$prefix")")
    for pid in /proc/[0-9]*; do
        case $(readlink "$pid/cwd" 2>/dev/null) in
        */"$dir")
            echo "${pid#/proc/}"
            return 0
            ;;
        esac
    done
    return 1
}

# Under Wine a program flushes a file itself and the wineserver renames it: the two traces, each
# call with its time, give the order. The tracers leave when the program's verdict line is out:
# Wine's helper processes outlive the program and would keep its tracer waiting, and the prefix's
# wineserver goes on serving the runs after this one. No --seccomp-bpf: its filter stays in the
# processes after the tracer has let go, and fails their renames and flushes from then on.
run_traced() {
    local trace=$1 calls=fsync,fdatasync,rename,renameat,renameat2 out="$state/run.out"
    local server server_tracer program_tracer waited=0
    shift
    if ! strace -f -o /dev/null true 2>/dev/null; then
        echo "SKIPPED: strace cannot trace here"
        exit $SKIP_CODE
    fi
    wine_env
    mkdir -p "$trace" || die "cannot make $trace"
    server=$(server_pid) || die "no wineserver runs for $prefix"
    strace -I 1 -f -ttt -y -e trace=$calls -o "$trace/server" -p "$server" 2>/dev/null &
    server_tracer=$!
    until [ "$(awk '$1 == "TracerPid:" { print $2 }' "/proc/$server/status")" = "$server_tracer" ]; do
        [ $waited -lt 100 ] || die "strace did not attach to the wineserver"
        sleep 0.1
        waited=$((waited + 1))
    done
    # Emptied here, not by the child's redirection, which may come after the first look below.
    : >"$out"
    strace -I 1 -f -ttt -y -e trace=$calls -o "$trace/program" "$WINE" "$@" </dev/null >>"$out" 2>&1 &
    program_tracer=$!
    waited=0
    until grep -qE '^(PASSED|FAILED)' "$out" || [ $waited -ge 100 ]; do
        sleep 1
        waited=$((waited + 1))
    done
    # A tracer ended by SIGTERM lets go of its processes and leaves them running.
    kill "$program_tracer" "$server_tracer"
    wait "$program_tracer" "$server_tracer"
    cat "$out"
    grep -q '^PASSED' "$out"
}

case "$cmd" in
start) start ;;
stop) stop ;;
run) run "$@" ;;
run-tmpfs) run_tmpfs "$@" ;;
run-floppies) run_floppies "$@" ;;
run-cd) run_cd "$@" ;;
run-traced) run_traced "$@" ;;
exec)
    wine_env
    export WINE WINE_ENV_STATE=$state
    exec "$@"
    ;;
server-pid) server_pid ;;
end-orphans) end_orphans ;;
make-data) make_data "$1" ;;
compress) compress_file "$1" "$2" ;;
*) die "unknown command $cmd" ;;
esac
