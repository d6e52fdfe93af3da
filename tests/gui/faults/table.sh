#!/bin/bash
# table.sh GUIDRIVER LOG [PATTERN]: every row of the fault table (those whose name matches
# PATTERN, else GUI_FAULT_ROWS, as tools/test --quick sets it), each a run of the installer with
# the row's fault injected; prints and logs a line "fault: ok: ROW" or "fault: FAILED: ROW: why".
# Run under "wine-env.sh STATE exec".
set -u
readonly GUIDRIVER=$1 LOG=$2 PATTERN=${3:-${GUI_FAULT_ROWS:-.}} KIND=fault
# shellcheck source=tests/gui/faults/lib.sh
. "$(dirname "$0")/lib.sh"

# One row a fault. path: nt (MoveFileExA) or 9x (Wine answers as Windows 95 does). who: the
# process that makes the call, the installer's (program) or the wineserver. faults:
# CALL:ERRNO:WHEN,... as strace counts the calls on the watched files, WHEN "k" for the k-th
# call only, "k+" for it and every later one, "j..k" for those. A compressed source is opened
# twice before the prompt: LZOpenFileA tries the name again with its last letter "_". entry: plain (150,000 bytes over 30,000), packed
# (expanded over an old file in TWAIN_32), twain (expanded into a TWAIN_32 yet to be made).
# watched: src, tmp (the temporary names), dst, dir (TWAIN_32). answers: the questions in turn
# and the buttons given. dest: what the destination holds after the run (old, new, none; aside:
# the old bytes under the name they were set aside under). temp: gone, or left, which the next run
# removes, or restores where the old file's name is free. code: the exit code. Each row runs
# again as ROW.silent under "/S /LOG=...", which asks nothing and retries nothing (silent_want).
table() {
    cat <<'EOF'
# name                        path who     faults                       entry  watched answers                  dest temp code
plain_source_open_once        nt   server  openat:EIO:1                 plain  src     1011:retry               new  gone 0
plain_source_open_always      nt   server  openat:EIO:1+                plain  src     1011:cancel,1005:yes     old  gone 1
plain_source_read_once        nt   program read:EIO:1                   plain  src     1011:retry               new  gone 0
plain_source_read_always      nt   program read:EIO:2+                  plain  src     1011:cancel,1005:yes     old  gone 1
packed_source_open_once       nt   server  openat:EIO:1..2              packed src     prompt:ok                new  gone 0
packed_source_open_always     nt   server  openat:EIO:1+                packed src     prompt:cancel,1005:yes   old  gone 1
packed_source_read_once       nt   program read:EIO:2                   packed src     2012:no                  old  gone 1
packed_source_read_always     nt   program read:EIO:2+                  packed src     2012:yes                 old  gone 3
plain_temp_create_once        nt   server  openat:EIO:1                 plain  tmp     1011:retry               new  gone 0
packed_temp_create_always     nt   server  openat:ENOSPC:1+             packed tmp     1012:cancel,1005:yes     old  gone 1
plain_temp_write_always       nt   program write:ENOSPC:1+              plain  tmp     1011:cancel,1005:yes     old  gone 1
packed_temp_write_once        nt   program write:ENOSPC:3               packed tmp     2012:no                  old  gone 1
plain_temp_flush_once         nt   program fsync:EIO:1                  plain  tmp     1011:retry               new  gone 0
packed_temp_flush_always      nt   program fsync:EIO:1+                 packed tmp     1012:cancel,1005:yes     old  gone 1
plain_rename_once             nt   server  rename:EIO:1                 plain  tmp     1011:retry               new  gone 0
plain_rename_always           nt   server  rename:EIO:1+                plain  tmp     1011:cancel,1005:yes     old  gone 1
packed_rename_once            nt   server  rename:EIO:1                 packed tmp     1012:retry               new  gone 0
plain_temp_delete_fails       nt   server  rename:EIO:1+,unlink:EACCES:1+ plain tmp    1011:cancel,1005:yes     old  left 1
twain_create_once             nt   server  mkdir:EACCES:1               twain  dir     1012:retry               new  gone 0
twain_create_always           nt   server  mkdir:EACCES:1+              twain  dir     1012:cancel,1005:yes     none gone 1
9x_plain_rename_aside_always  9x   server  rename:EIO:1+                plain  tmp+dst 1011:cancel,1005:yes     old  gone 1
9x_plain_rename_in_once       9x   server  rename:EIO:2                 plain  tmp+dst 1011:retry               new  gone 0
9x_packed_rename_in_always    9x   server  rename:EIO:2+                packed tmp+dst 1012:cancel,1005:yes     aside left 1
9x_plain_delete_aside_always  9x   server  unlink:EACCES:1+             plain  tmp+dst -                        new  left 0
EOF
}

# The row's entry: its [Files] line, source, destination (relative to C:) and what it held.
entry_of() {
    local old=$SCRATCH/old
    rm -f "$old"
    case $1 in
    plain)
        line='Big, BIG.INI, GFBIG.INI, 1, 1, N\r\n' src=DISK1/BIG.INI dest=windows/GFBIG.INI new=BIG.INI
        head -c 30000 "$GUI_DATA_DIR/TEXT.DLL" >"$old"
        ;;
    packed)
        line='Bin, BIN.DL_, GFBIN.DLL, 2, 1, Y\r\n' src=TWAIN/BIN.DL_ dest=windows/TWAIN_32/GFBIN.DLL new=BIN.DLL
        printf 'old expanded file' >"$old"
        ;;
    twain)
        line='Twain, OTHER.IN_, GFTWAIN.INI, 2, 1, Y\r\n' src=TWAIN/OTHER.IN_ dest=windows/TWAIN_32/GFTWAIN.INI
        new=OTHER.INI
        ;;
    esac
}

# silent_want ENTRY WATCHED ANSWERS DEST CODE: "CODE DEST" of the row under /S. Where its first
# question comes, the stop of its kind (8 for the disk prompt, 10 for an expansion whose source
# failed, 9 for every other), with the old file kept (none in a TWAIN_32 yet to be made) where a
# retry would have put the new one; a row without a question ends as it does.
silent_want() {
    local keep=$4
    [ "$keep" != new ] || keep=$([ "$1" = twain ] && echo none || echo old)
    case ${3%%:*} in
    -) echo "$5 $4" ;;
    prompt) echo "8 $keep" ;;
    2012) echo "$([ "$2" = src ] && echo 10 || echo 9) $keep" ;;
    *) echo "9 $keep" ;;
    esac
}

run_row() {
    local name=$1 path=$2 who=$3 faults=$4 entry=$5 watch_list=$6 answer_list=$7 want_dest=$8
    local want_temp=$9 want_code=${10} line src dest new fault why='' left
    local -a watched=() injected=() answers=()
    entry_of "$entry"
    lay_out "$line" "$src"
    reset_twain "$([ "$entry" != twain ] || echo absent)"
    [ ! -f "$SCRATCH/old" ] || cp "$SCRATCH/old" "$DRIVE_C/$dest"
    [[ $watch_list != *src* ]] || watch "$MEDIA/$src"
    [[ $watch_list != *tmp* ]] || watch_temps "$dest"
    [[ $watch_list != *dst* ]] || watch "$dest"
    [[ $watch_list != *dir* ]] || watch windows/TWAIN_32
    for fault in ${faults//,/ }; do
        IFS=: read -r call errno when <<<"$fault"
        injected+=(-e "inject=$call:error=$errno:when=$when")
    done
    [ "$answer_list" = - ] || IFS=, read -r -a answers <<<"$answer_list"
    rm -f "$DRIVE_C/gui-faults.log"
    run_setup "$who" "${watched[@]}" "${injected[@]}"
    [ "$code" = "$want_code" ] || why+=" exit code $code, want $want_code ($out)"
    # A silent run's log: whole lines, ending with the exit code, naming the failed call's error.
    [ -z "${GUI_SETUP_ARGS:-}" ] || { whole_log "$DRIVE_C/gui-faults.log" &&
        tail -1 "$DRIVE_C/gui-faults.log" | grep -q "^exit code $want_code" &&
        { [ "$code" = 0 ] || grep -Eq '^  failed: .+, error -?[0-9]+' "$DRIVE_C/gui-faults.log"; }; } ||
        why+=" the log is not whole lines naming the failed call and the exit code"
    case $want_dest in
    old) holds "$DRIVE_C/$dest" "$SCRATCH/old" || why+=" the old file was not kept ($(describe "$DRIVE_C/$dest"))" ;;
    new) holds "$DRIVE_C/$dest" "$new" || why+=" the new file is not in place ($(describe "$DRIVE_C/$dest"))" ;;
    none) [ ! -e "$DRIVE_C/$dest" ] || why+=" a file was put in place ($(describe "$DRIVE_C/$dest"))" ;;
    aside) [ ! -e "$DRIVE_C/$dest" ] && holds "$DRIVE_C/$(aside_of "$dest")" "$SCRATCH/old" ||
        why+=" the old file is not aside ($(describe "$DRIVE_C/$dest"))" ;;
    esac
    left=$(temps_left)
    if [ "$want_temp" = gone ]; then
        [ -z "$left" ] || why+=" left $left"
    else
        [ -n "$left" ] || why+=" the failed delete left no file"
        answers=()
        run_setup -
        [ "$code" = 0 ] && holds "$DRIVE_C/$dest" "$new" || why+=" the next run did not install ($code)"
        left=$(temps_left)
        [ -z "$left" ] || why+=" the next run left $left"
    fi
    rm -f "$DRIVE_C/$dest"
    # A run whose tracer did not attach in time injected nothing: the row is run once more.
    if [ -z "${RETRYING:-}" ] && untraced "$why"; then
        restart_server
        RETRYING=1 run_row "$@"
        return
    fi
    result "$name" "$why"
}

version=-
while read -r name path rest; do
    [[ $name != \#* && $name =~ $PATTERN ]] || continue
    want=$([ "$path" = 9x ] && echo win95 || echo -)
    [ "$want" = "$version" ] || windows_version "$want"
    version=$want
    # shellcheck disable=SC2086 # the row's remaining fields
    run_row "$name" "$path" $rest
    read -r who faults entry watch_list answer_list dest temp silent <<<"$rest"
    read -r silent dest < <(silent_want "$entry" "$watch_list" "$answer_list" "$dest" "$silent")
    GUI_SETUP_ARGS='/S /LOG=C:\gui-faults.log' run_row "$name.silent" "$path" "$who" "$faults" \
        "$entry" "$watch_list" - "$dest" "$temp" "$silent"
done < <(table)
[ "$version" = - ] || windows_version -
summary
