#!/usr/bin/env bash
# A stop at any point of build --force and of import --force leaves OUT and OUT.IMG each
# wholly old or wholly new, and the next run leaves no staging folder beside them. strace
# stops the program at the Nth call of one kind (it counts each call and each process apart):
# killed (SIGKILL, as a power cut leaves things), then run again; or sent SIGTERM, after which
# nothing of inftool's may be left at once. Every kind of call that writes is swept at several
# N, once where the folders are swapped in one step (renameat2 RENAME_EXCHANGE) and once where
# the system refuses that (renameat2 fails, as on file systems without it), so that the old
# content is moved aside and put back by the next run. Then: OUT spelt with a trailing slash and
# through a symlink; SIGINT while the shell left it ignored; a failed fsync at each point, whose
# exit status must say which of old and new is in place; and the order of the calls of a whole
# run: every file and folder flushed before the rename that publishes it, the folder after.
#
#   check-stops.sh INFTOOL WORK
# shellcheck source=tests/inftool/check-common.sh
source "$(dirname "$0")/check-common.sh"

inftool=${1:?inftool} work=${2:?work folder}
samples=$(cd "$(dirname "$0")/../../samples" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
need strace sha256sum
if ! strace -o /dev/null true 2>/dev/null; then
  echo "SKIPPED: strace cannot trace here"
  exit 77
fi
# LeakSanitizer cannot run under ptrace.
export ASAN_OPTIONS=detect_leaks=0
calls=(write fsync mkdir mkdirat rename renameat renameat2 unlink unlinkat rmdir)
most_per_call=${STOP_POINTS_PER_CALL:-4}

rm -rf "$work"
mkdir -p "$work"
cd "$work"
cp -r "$samples/originals" old
cp -r "$samples/originals" new
printf 'changed\r\n' >>new/WINDOWS/SCANUTIL.INI
head -c 4000 /dev/zero | tr '\0' 'i' >setup.exe
printf 'MZ main setup' >main.exe
"$inftool" init old --out one.inf --disk-size 1.44M >/dev/null
# The runs, in the folder at/: OUT is media (with media.IMG) and restored.
build_new=("$inftool" build "$work/one.inf" --from "$work/new" --setup "$work/setup.exe"
  --follow-on "$work/main.exe" --out media --disk-size 1.44M --images --force)
import_new=("$inftool" import "$work/new.IMG" --out restored --force)
quietly() { "$@" >/dev/null 2>&1; }

# What a folder or file holds, as one line: the names and bytes of its files.
state() {
  if [ -d "$1" ]; then
    (cd "$1" && find . -type f -print0 | sort -z | xargs -0r sha256sum) | sha256sum | cut -c1-16
  elif [ -f "$1" ]; then
    sha256sum <"$1" | cut -c1-16
  else
    echo missing
  fi
}
leftovers() { find "$work/at" -maxdepth 1 -name '*.~inftool*' -printf '%f '; }

# The old and the new state of each output, made without stops.
declare -A old new
mkdir at && cd at
quietly "${build_new[@]/$work\/new/$work/old}" && cp media.IMG ../old.IMG
quietly "${import_new[@]/new.IMG/old.IMG}"
for out in media media.IMG restored; do old[$out]=$(state $out) && cp -a $out old-$out; done
quietly "${build_new[@]}" && cp media.IMG ../new.IMG
quietly "${import_new[@]}"
for out in media media.IMG restored; do new[$out]=$(state $out) && rm -rf $out; done
cd ..

# fresh: the old outputs in place again, and nothing else of inftool's.
fresh() {
  rm -rf at/media at/media.IMG at/restored at/*.~inftool*
  for out in "${outs[@]}"; do cp -a "at/old-$out" "at/$out"; done
}
run() { { (cd at && "$@"); } >/dev/null 2>&1; }
# judge WHERE: each output old or new; without the exchange, a missing one's old content may
# wait whole beside it for the next run to put back.
judge() {
  local out now
  for out in "${outs[@]}"; do
    now=$(state "at/$out")
    [ "$now" = missing ] && [ "$exchange" = refused ] && now=$(state "at/$out.~inftool-old0")
    [ "$now" = "${old[$out]}" ] || [ "$now" = "${new[$out]}" ] || fail "$1: $out neither old nor new"
  done
}

points=0
started=$SECONDS
for kind in build import; do
  if [ $kind = build ]; then
    command=("${build_new[@]}") outs=(media media.IMG)
  else
    command=("${import_new[@]}") outs=(restored)
  fi
  for exchange in works refused; do
    refuse=()
    [ $exchange = refused ] && refuse=(-e inject=renameat2:error=EINVAL)
    fresh
    run strace -qq -o "$work/trace" -e trace="$(IFS=,; echo "${calls[*]}")" "${refuse[@]}" \
      "${command[@]}" || fail "$kind ($exchange): the run under strace failed"
    for call in "${calls[@]}"; do
      count=$(grep -c "^$call(" trace || true)
      [ "$count" -gt 0 ] || continue
      step=$(((count + most_per_call - 1) / most_per_call))
      for ((n = 1; n <= count; n += step)); do
        for signal in KILL TERM; do
          [ $signal = TERM ] && [ $exchange = refused ] && continue
          where="$kind ($exchange exchange) stopped by SIG$signal at $call #$n of $count"
          fresh
          run strace -qq -o /dev/null "${refuse[@]}" -e inject="$call:signal=$signal:when=$n" \
            "${command[@]}" && fail "$where: the run was not stopped"
          points=$((points + 1))
          judge "$where"
          if [ $signal = TERM ]; then
            [ -z "$(leftovers)" ] || fail "$where: left $(leftovers)"
            continue
          fi
          if [ ! -e "at/${outs[0]}" ]; then
            # The next run puts the old content back before it judges OUT: without --force it
            # then refuses to replace it.
            run "${command[@]:0:${#command[@]}-1}" && fail "$where: the next run without --force ran"
            [ "$(state "at/${outs[0]}")" = "${old[${outs[0]}]}" ] ||
              fail "$where: the next run did not put ${outs[0]} back"
          fi
          run strace -qq -o /dev/null "${refuse[@]}" "${command[@]}" ||
            fail "$where: the next run failed"
          [ -z "$(leftovers)" ] || fail "$where: the next run left $(leftovers)"
          for out in "${outs[@]}"; do
            [ "$(state "at/$out")" = "${new[$out]}" ] || fail "$where: the next run left $out not new"
          done
        done
      done
    done
  done
done
# OUT.IMG that cannot follow OUT into place: the build fails, and OUT and OUT.IMG are both old.
outs=(media media.IMG)
for exchange in works refused; do
  # The image's exchange fails and so does its move aside; without the exchange, its rename
  # into place is the fourth, after OUT's two and its own move aside.
  refuse=(-e inject=renameat2:error=EIO:when=2) image_rename=1
  [ $exchange = refused ] && refuse=(-e inject=renameat2:error=EINVAL) image_rename=4
  fresh
  run strace -qq -o /dev/null "${refuse[@]}" -e inject=renameat:error=EIO:when=$image_rename \
    "${build_new[@]}" && fail "a build whose image could not be put in place succeeded"
  for out in "${outs[@]}"; do
    [ "$(state "at/$out")" = "${old[$out]}" ] ||
      fail "the image not put in place ($exchange exchange): $out is not old"
  done
  [ -z "$(leftovers)" ] || fail "the image not put in place ($exchange exchange): left $(leftovers)"
done
# Killed while the exchange is undone, at the calls that delete what it staged: each output is
# old or new, and the next run builds. (strace fails and stops no call of one kind both.)
exchange=works
fail_image=(-e inject=renameat2:error=EIO:when=2 -e inject=renameat:error=EIO:when=1)
fresh
run strace -qq -o "$work/trace" -e trace=unlinkat,renameat2,renameat "${fail_image[@]}" "${build_new[@]}" &&
  fail "a build whose image could not be put in place succeeded"
for call in unlinkat; do
  count=$(grep -c "^$call(" "$work/trace" || true)
  step=$(((count + 5) / 6))
  for ((n = 1; n <= count; n += step)); do
    where="the image not put in place, killed at $call #$n of $count"
    fresh
    run strace -qq -o /dev/null "${fail_image[@]}" -e inject="$call:signal=KILL:when=$n" \
      "${build_new[@]}" && fail "$where: the run was not stopped"
    judge "$where"
    run "${build_new[@]}" || fail "$where: the next run failed"
    [ -z "$(leftovers)" ] || fail "$where: the next run left $(leftovers)"
  done
done

# An OUT that was empty is taken only as it still is: a file put into it while the build stages
# (its renames held back a second) stays, and the build fails.
late=("$inftool" build "$work/one.inf" --from "$work/new" --setup "$work/setup.exe"
  --follow-on "$work/main.exe" --out empty --disk-size 1.44M)
mkdir at/empty
(cd at && exec strace -qq -o /dev/null -e inject=rename,renameat,renameat2:delay_enter=1000000 "${late[@]}") \
  >/dev/null 2>&1 &
builder=$!
for ((waited = 0; waited < 200; waited++)); do
  [ -z "$(find at -maxdepth 1 -name 'empty.~inftool[0-9]*')" ] || break
  sleep 0.05
done
echo notes >at/empty/NOTES.TXT
wait $builder && fail "a build into an OUT that was no longer empty succeeded"
[ "$(cat at/empty/NOTES.TXT 2>/dev/null)" = notes ] ||
  fail "a file put into an empty OUT during the build was lost"

# OUT resolved once, spelt with a trailing slash and through a symlink: killed at the middle call
# of each kind, each output is old or new, and the next run, spelt the same, leaves the new.
exchange=works
ln -s media at/lnk
for spelt in media/ lnk; do
  command=("${build_new[@]/#media/$spelt}")
  for call in "${calls[@]}"; do
    fresh
    run strace -qq -o "$work/trace" -e trace="$call" "${command[@]}" || fail "--out $spelt failed"
    count=$(grep -c "^$call(" "$work/trace" || true)
    [ "$count" -gt 0 ] || continue
    where="--out $spelt killed at $call #$((count / 2 + 1)) of $count"
    run strace -qq -o /dev/null -e inject="$call:signal=KILL:when=$((count / 2 + 1))" "${command[@]}" &&
      fail "$where: the run was not stopped"
    points=$((points + 1))
    judge "$where"
    run "${command[@]}" || fail "$where: the next run failed"
    [ -z "$(leftovers)" ] || fail "$where: the next run left $(leftovers)"
    [ -L at/lnk ] || fail "$where: the symlink was replaced"
    for out in "${outs[@]}"; do
      [ "$(state "at/$out")" = "${new[$out]}" ] || fail "$where: $out is not new"
    done
  done
done

# SIGINT that the shell left ignored, as for a background job of a script, at several opens:
# the run ends at once, or goes on to the end, and leaves old or new with nothing of its own.
fresh
run strace -qq -o "$work/trace" -e trace=openat "${build_new[@]}" || fail "the traced run failed"
count=$(grep -c "^openat(" "$work/trace" || true)
for ((n = count / 4; n <= count; n += count / 4)); do
  where="SIGINT ignored by the shell, sent at openat #$n of $count"
  fresh
  status=0
  (cd at && exec bash -c 'trap "" INT; exec "$@"' - strace -qq -o /dev/null \
    -e inject="openat:signal=INT:when=$n" "${build_new[@]}") >/dev/null 2>&1 || status=$?
  points=$((points + 1))
  judge "$where"
  [ -z "$(leftovers)" ] || fail "$where: left $(leftovers)"
  if [ $status = 0 ]; then
    for out in "${outs[@]}"; do
      [ "$(state "at/$out")" = "${new[$out]}" ] || fail "$where: exit 0 and $out not new"
    done
  fi
done

# A failed fsync at each point, files' and folders' alike: exit 74 leaves both outputs old, 75
# (the folder's flush after the renames) or 0 both new; EINVAL, a file system that cannot flush
# a folder, at the last fsync is a warning with exit 0. Nothing of inftool's stays.
fresh
run strace -qq -o "$work/trace" -e trace=fsync "${build_new[@]}" || fail "the traced run failed"
count=$(grep -c "^fsync(" "$work/trace" || true)
for ((n = 1; n <= count; n++)); do
  for error in EIO EINVAL; do
    [ $error = EINVAL ] && [ $n != "$count" ] && continue
    where="fsync #$n of $count failed with $error"
    fresh
    status=0
    run strace -qq -o /dev/null -e inject="fsync:error=$error:when=$n" "${build_new[@]}" || status=$?
    points=$((points + 1))
    case $status in
      74) expect=old ;;
      0 | 75) expect=new ;;
      *) fail "$where: exit $status" && continue ;;
    esac
    [ $error = EINVAL ] && [ $status != 0 ] && fail "$where: exit $status, not a warning"
    for out in "${outs[@]}"; do
      [ "$(state "at/$out")" = "$(eval echo "\${$expect[$out]}")" ] ||
        fail "$where: exit $status and $out not $expect"
    done
    [ -z "$(leftovers)" ] || fail "$where: left $(leftovers)"
  done
done

# The order of a whole run's calls: every file and folder made beside OUT is flushed before the
# rename that publishes it, and the folder it was renamed in is flushed after.
fresh
run strace -qq -y -o "$work/trace" -e trace=openat,mkdirat,fsync,renameat,renameat2 "${build_new[@]}" ||
  fail "the traced run failed"
"$here/check-inftool-flush-order.sh" "$work/trace" || fail "a call out of order"

# A run that still reads holds nothing back: import of a FIFO that no one writes ends at
# SIGTERM and leaves nothing beside its OUT. compress whose folder cannot be flushed at all
# (EINVAL) writes OUT and says so with exit 0.
alive() { local stat; stat=$(ps -o stat= -p "$1") && [[ $stat != Z* ]]; }
mkfifo "$work/fifo"
(cd at && exec "$inftool" import "$work/fifo" --out fromfifo) >/dev/null 2>&1 &
reader=$!
sleep 1
kill -TERM $reader
for ((waited = 0; waited < 40; waited++)); do alive $reader || break; sleep 0.05; done
if alive $reader; then
  fail "import reading a FIFO did not end at SIGTERM"
  kill -KILL $reader
fi
wait $reader || true
[ -z "$(find at -maxdepth 1 -name 'fromfifo*')" ] || fail "import stopped while it read left a file"
printf 'x' >at/c.in
status=0
run strace -qq -o /dev/null -e inject=fsync:error=EINVAL:when=2 "$inftool" compress c.in c.out ||
  status=$?
[ $status = 0 ] && [ -f at/c.out ] || fail "compress with a folder it cannot flush: exit $status"

echo "check-stops: $points stop points in $((SECONDS - started)) s"
finish check-stops
