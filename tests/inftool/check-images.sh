#!/usr/bin/env bash
# The floppy images of inftool build --images, judged by tools no one here wrote: fsck.fat
# finds nothing to mend and counts the clusters build's table counts, mtools lists every file
# under its name and reads each back byte for byte, file(1) sees FAT12 of the right size and
# media byte, a second build of the same inputs gives the same bytes, and so does a build of
# what import brings back of them.
#
#   check-images.sh INFTOOL SAMPLES WORK
#
# Checks the demo's two disks at every floppy size (inftool/formats/floppies.def), a 360K
# disk of long and lower-case names, and a 1.44M disk filled until less than a cluster is free.
# shellcheck source=tests/inftool/check-common.sh
source "$(dirname "$0")/check-common.sh"

inftool=${1:?inftool} samples=${2:?samples folder} work=${3:?work folder}
need fsck.fat mdir mcopy file dsktrans zip 7z bsdtar xorriso genisoimage

rm -rf "$work"
mkdir -p "$work"
head -c 20000 /dev/zero | tr '\0' S >"$work/setup.exe"

# build NAME SCRIPT ORIGINALS SIZE: builds twice, into WORK/NAME and WORK/NAME.again, and
# keeps the first build's table in WORK/NAME.table.
build() {
  local name=$1 script=$2 originals=$3 size=$4 out status
  for out in "$work/$name" "$work/$name.again"; do
    status=0
    rm -rf "$out" "$out.IMG"
    "$inftool" build "$script" --from "$originals" --setup "$work/setup.exe" \
      --follow-on "$work/setup.exe" --out "$out" --disk-size "$size" --images >"$out.table" || status=$?
    # Exit 1 is a warning of the script's, which these checks do not judge.
    [ "$status" -le 1 ] || { fail "inftool build $name exited $status"; return 1; }
  done
}

# check IMAGE AGAIN FOLDER TABLE DISK SECTORS MEDIA: AGAIN is the image of the second build.
check() {
  local image=$1 again=$2 folder=$3 table=$4 disk=$5 sectors=$6 media=$7
  local name=${image#"$work"/} report summary used total cluster listed files described row
  [ "$(stat -c %s "$image")" -eq $((sectors * 512)) ] || fail "$name: not $((sectors * 512)) bytes"
  cmp -s "$image" "$again" || fail "$name: a second build of the same inputs differs"

  report=$(fsck.fat -n "$image" 2>&1) || fail "$name: fsck.fat exited $?: $report"
  [ "$(wc -l <<<"$report")" -eq 2 ] || fail "$name: fsck.fat has more to say: $report"
  report=$(fsck.fat -n -v "$image")
  summary=$(tail -1 <<<"$report")
  used=$(sed -nE 's|.* ([0-9]+)/[0-9]+ clusters$|\1|p' <<<"$summary")
  total=$(sed -nE 's|.*/([0-9]+) clusters$|\1|p' <<<"$summary")
  cluster=$(sed -nE 's/^ +([0-9]+) bytes per cluster$/\1/p' <<<"$report")
  row=$(awk -v disk="$disk" '$1 == disk { print $4, $5 }' "$table")
  [ "$row" = "$((used * cluster)) $(((total - used) * cluster))" ] ||
    fail "$name: build counts bytes used and free as $row, fsck.fat $summary"

  listed=$(mdir -/ -b -i "$image" :: | sed -n 's|^::/||; /\/$/!p' | sort)
  files=$(cd "$folder" && find . -type f | sed 's|^\./||' | sort)
  [ "$listed" = "$files" ] || fail "$name: mdir lists"$'\n'"$listed"$'\n'"where the folder holds"$'\n'"$files"
  while IFS= read -r file; do
    mcopy -n -i "$image" "::/$file" - | cmp -s - "$folder/$file" || fail "$name: mcopy reads $file otherwise"
  done <<<"$files"

  described=$(file -b "$image")
  local want=("FAT (12 bit)" "sectors $sectors (")
  [ "$media" = f0 ] || want+=("Media descriptor 0x$media")
  for part in "${want[@]}"; do
    [[ "$described" == *"$part"* ]] || fail "$name: file says $described, without $part"
  done
  [ "$media" != f0 ] || [[ "$described" != *"Media descriptor"* ]] || fail "$name: file says $described"
  echo "$name: fsck.fat clean, ${summary#*: } as build counts; $(wc -l <<<"$files") files read back"
}

# containers NAME SIZE: the disks of WORK/NAME in the containers old sets are kept in, made by
# dsktrans (ImageDisk, TeleDisk, CopyQM) at every size and, at 1.44M, by zip, 7z, bsdtar,
# xorriso (a CD of the media folder, one folder per disk) and genisoimage (a CD of one tree,
# which check --media reads too): import of each gives the files import of the raw images
# gave, byte for byte, and those of images build the same images again.
containers() {
  local name=$1 size=$2 media=$work/$1 form made disk status
  local forms=(imd tele copyqm)
  [ "$size" != 1.44M ] || forms+=(zip 7z tar.gz tar.xz cd tree.iso)
  for form in "${forms[@]}"; do
    made=("$work/$name.$form")
    case $form in
      imd | tele | copyqm)
        made=()
        for disk in 1 2; do
          dsktrans -itype raw -otype "$form" "$media/DISK$disk.IMG" "$work/$name.$disk.$form" >/dev/null 2>&1 ||
            fail "$name: dsktrans makes no $form"
          made+=("$work/$name.$disk.$form")
        done ;;
      zip) (cd "$media" && zip -qX "$made" DISK1.IMG DISK2.IMG) ;;
      7z) (cd "$media" && 7z a -bd "$made" DISK1.IMG DISK2.IMG >/dev/null) ;;
      tar.gz) bsdtar -czf "$made" -C "$media" DISK1.IMG DISK2.IMG ;;
      tar.xz) bsdtar -cJf "$made" -C "$work" "$name/DISK1" "$name/DISK2" ;;
      cd) xorriso -as mkisofs -quiet -R -J -o "$made" -graft-points "DISK1=$media/DISK1" "DISK2=$media/DISK2" 2>/dev/null ;;
      tree.iso) genisoimage -quiet -R -J -o "$made" "$media/DISK1" "$media/DISK2" ;;
    esac
    rm -rf "$work/$name.from-$form" "$work/$name.again-$form"
    status=0
    "$inftool" import "${made[@]}" --out "$work/$name.from-$form" >"$work/$name.$form.out" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || grep -q -e warning -e Sanitizer "$work/$name.$form.out"; then
      fail "$name: import of $form exited $status: $(cat "$work/$name.$form.out")"
      continue
    fi
    diff -r "$work/$name.imported" "$work/$name.from-$form" >/dev/null ||
      fail "$name: import of $form gives other files than import of the raw images"
    # The media folder's files are dated by build's run rather than by the images: a set of
    # folders is judged by its files, and a CD of one tree by check as well.
    case $form in tar.xz | cd | tree.iso)
      [ "$form" = tree.iso ] || continue
      status=0
      "$inftool" check "$work/$name.imported/SETUP.INF" --media "$made" >"$work/$name.$form.check" 2>&1 || status=$?
      [ "$status" -le 1 ] && ! grep -q -e missing -e differ "$work/$name.$form.check" ||
        fail "$name: check --media $form: $(cat "$work/$name.$form.check")"
      continue ;;
    esac
    from=$work/$name.from-$form
    "$inftool" build "$from/SETUP.INF" --from "$from" --setup "$from/setup.exe" --follow-on "$from/photo/setup.EXE" \
      --out "$work/$name.again-$form" --disk-size "$size" --images >/dev/null || [ $? -eq 1 ] ||
      fail "$name: the build of the import of $form failed"
    for disk in 1 2; do
      cmp -s "$media/DISK$disk.IMG" "$work/$name.again-$form/DISK$disk.IMG" ||
        fail "$name: DISK$disk.IMG built again from its import of $form differs"
    done
  done
  echo "$name: imported from ${forms[*]} as from its raw images"
}

# The demo's two disks at every floppy size build takes, then brought back by import, given
# in shuffled order with disk 1 twice, and built again from what import wrote: the same bytes.
page=$(dirname "$0")/../../inftool/inftool.1
while read -r size built sectors cluster root _ _ media _; do
  [ "$built" = 1 ] || continue
  name=demo-$size
  grep -qP "^\Q$size\E\t$sectors\t$((cluster * 512))\t$root\t${media^^}$" "$page" ||
    fail "$name: the table of --disk-size in inftool.1 gives other values"
  build "$name" "$samples/SETUP.INF" "$samples/originals" "$size" || continue
  for disk in 1 2; do
    check "$work/$name/DISK$disk.IMG" "$work/$name.again/DISK$disk.IMG" "$work/$name/DISK$disk" \
      "$work/$name.table" "$disk" "$sectors" "$media"
  done
  disks=("$work/$name/DISK2.IMG" "$work/$name/DISK1.IMG" "$work/$name/DISK1.IMG")
  status=0
  "$inftool" import "${disks[@]}" --out "$work/$name.imported" >"$work/$name.import" 2>&1 || status=$?
  [ "$status" -eq 0 ] || { fail "$name: import exited $status: $(cat "$work/$name.import")"; continue; }
  grep -qF "warning: $work/$name/DISK1.IMG: given twice" "$work/$name.import" ||
    fail "$name: import names no disk given twice: $(cat "$work/$name.import")"
  for disk in 1 2; do
    grep -qE "^$disk +$work/$name/DISK$disk.IMG " "$work/$name.import" ||
      fail "$name: import numbers the disks otherwise: $(cat "$work/$name.import")"
  done
  from=$work/$name.imported
  "$inftool" build "$from/SETUP.INF" --from "$from" --setup "$from/setup.exe" --follow-on "$from/photo/setup.EXE" \
    --out "$work/$name.rebuilt" --disk-size "$size" --images >/dev/null || [ $? -eq 1 ] || fail "$name: the build of the import failed"
  for disk in 1 2; do
    cmp -s "$work/$name/DISK$disk.IMG" "$work/$name.rebuilt/DISK$disk.IMG" ||
      fail "$name: DISK$disk.IMG built again from its import differs"
  done
  echo "$name: imported from DISK2, DISK1, DISK1 and built again"
  containers "$name" "$size"
done < <(floppies)

# One disk of 360K: long and lower-case names of files and folders, a label to mend.
originals=$work/originals-360
mkdir -p "$originals/Windows Files" "$originals/twain"
cp "$samples/originals/WINDOWS/SCANUTIL.HLP" "$samples/originals/WINDOWS/SCANUTIL.INI" "$originals/Windows Files/"
cp "$samples/originals/TWAIN/SCANDS.DS" "$samples/originals/TWAIN/SCANDS.INI" "$originals/twain/"
printf '%s\r\n' '[Application]' 'AppName = Image check' '[Disks]' '1 = Small disk: 360K' \
  '[Dirs]' '1 = Windows Files' '2 = twain' '[Files]' \
  'Help, ScanUtil.Hlp, SCANUTIL.HLP, 1, 1, N' 'Settings, scanutil.ini, SCANUTIL.INI, 1, 1, N' \
  'Source, scands.DS_, SCANDS.DS, 2, 1, Y' 'Source settings, Scan Set.INI, SCANDS.INI, 2, 1, N' \
  '[PM Info]' 'SCANUTIL.HLP, Help' '[End]' >"$work/small.inf"
build small "$work/small.inf" "$originals" 360K
check "$work/small.IMG" "$work/small.again.IMG" "$work/small" "$work/small.table" 1 720 fd

# A 1.44M disk filled to its last cluster: a filler of one cluster grown by what the table
# says is free, less 100 bytes.
originals=$work/originals-full
mkdir -p "$originals/WINDOWS"
printf '%s\r\n' '[Application]' 'AppName = Image check' '[Disks]' '1 = Full' '[Dirs]' '1 = WINDOWS' \
  '[Files]' 'Filler, FILL.BIN, FILL.BIN, 1, 1, N' '[PM Info]' 'FILL.BIN, Filler' '[End]' >"$work/full.inf"
head -c 1 /dev/urandom >"$originals/WINDOWS/FILL.BIN"
build full "$work/full.inf" "$originals" 1.44M
free=$(awk '$1 == 1 { print $5 }' "$work/full.table")
head -c $((512 + free - 100)) /dev/urandom >"$originals/WINDOWS/FILL.BIN"
build full "$work/full.inf" "$originals" 1.44M
[ "$(awk '$1 == 1 { print $5 }' "$work/full.table")" = 0 ] || fail "full: the table leaves bytes free"
check "$work/full.IMG" "$work/full.again.IMG" "$work/full" "$work/full.table" 1 2880 f0

finish check-images
