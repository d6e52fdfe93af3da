#!/usr/bin/env bash
# inftool import of images that tools no one here wrote made: mkfs.fat formats each FAT12
# geometry (the floppies, DMF, 2.88M, sectors of 1024 bytes), mcopy fills it from a script and
# files this test writes itself, under long and lower-case names as mtools writes them. Every
# listed file must come back as its original, byte for byte, and every other file of the
# disk, as mtools reads it, under unlisted/.
#
#   check-import.sh INFTOOL WORK
# shellcheck source=tests/inftool/check-common.sh
source "$(dirname "$0")/check-common.sh"

inftool=${1:?inftool} work=${2:?work folder}
export MTOOLS_NO_VFAT=0
need mkfs.fat fsck.fat mmd mcopy mdir

rm -rf "$work"
mkdir -p "$work/orig/WINDOWS" "$work/orig/TWAIN" "$work/files"
cd "$work"
seq 1 4000 >orig/TWAIN/SCANDS.DS
seq 1 2 3000 | sed 's/$/ help/' >orig/WINDOWS/SCANUTIL.HLP
printf '[scan]\r\nmode=color\r\n' >orig/WINDOWS/SCANUTIL.INI
printf '%s\r\n' '[Application]' 'AppName = Foreign' '[Disks]' '1 = Foreign disk' '[Dirs]' \
  '1 = windows' '2 = Twain Files' '[Files]' 'Source, SCANDS.DS_, SCANDS.DS, 2, 1, Y' \
  'Help, scanutil.hl_, SCANUTIL.HLP, 1, 1, Y' 'Settings, Scan Util.ini, SCANUTIL.INI, 1, 1, N' \
  '[PM Info]' 'SCANUTIL.HLP, Help' '[End]' >files/SETUP.INF
"$inftool" compress orig/TWAIN/SCANDS.DS files/SCANDS.DS_
"$inftool" compress orig/WINDOWS/SCANUTIL.HLP files/scanutil.hl_
printf 'MZ installer' >files/setup.exe
printf 'MZ main setup' >files/main.exe
printf 'read me\r\n' >files/README.TXT
printf 'notes\r\n' >files/notes.txt

# What import must write, each with the file it must equal.
expected=(
  "SETUP.INF files/SETUP.INF" "setup.exe files/setup.exe" "photo/setup.EXE files/main.exe"
  "Twain Files/SCANDS.DS orig/TWAIN/SCANDS.DS" "windows/SCANUTIL.HLP orig/WINDOWS/SCANUTIL.HLP"
  "windows/SCANUTIL.INI orig/WINDOWS/SCANUTIL.INI"
  "unlisted/disk1/README.TXT files/README.TXT"
  "unlisted/disk1/Extra Folder/notes.txt files/notes.txt"
)

# geometry: mkfs.fat's block count (1 KiB) and options
for geometry in "160" "360" "720" "1200" "1440" "1680 -s 4 -r 16" "2880" "1440 -S 1024"; do
  read -r blocks options <<<"$geometry"
  name="fat-${geometry// /}"
  image=$name.img
  # shellcheck disable=SC2086 # the options are words
  mkfs.fat -C $options -n FOREIGN "$image" "$blocks" >/dev/null
  mmd -i "$image" ::/windows "::/Twain Files" ::/photo "::/Extra Folder"
  mcopy -i "$image" files/SETUP.INF files/setup.exe files/README.TXT ::/
  mcopy -i "$image" files/main.exe ::/photo/setup.EXE
  mcopy -i "$image" files/SCANDS.DS_ "::/Twain Files/"
  mcopy -i "$image" files/scanutil.hl_ ::/windows/
  mcopy -i "$image" orig/WINDOWS/SCANUTIL.INI "::/windows/Scan Util.ini"
  mcopy -i "$image" files/notes.txt "::/Extra Folder/"
  fsck.fat -n "$image" >/dev/null 2>&1 || fail "$name: fsck.fat finds the image made badly"

  status=0
  "$inftool" import "$image" --out "$name" >"$name.out" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    fail "$name: inftool import exited $status: $(cat "$name.out")"
    continue
  fi
  for pair in "${expected[@]}"; do
    written=${pair% *} original=${pair##* }
    cmp -s "$name/$written" "$original" || fail "$name: $written is not $original"
  done
  listed=$(mdir -/ -b -i "$image" :: | sed -n '/\/$/!p' | wc -l)
  imported=$(find "$name" -type f | wc -l)
  [ "$listed" -eq "$imported" ] || fail "$name: mdir lists $listed files, import wrote $imported"
  while IFS= read -r file; do
    mcopy -n -i "$image" "::/$file" - | cmp -s - "$name/unlisted/disk1/$file" ||
      fail "$name: unlisted/disk1/$file is not what mcopy reads"
  done < <(cd "$name/unlisted/disk1" && find . -type f | sed 's|^\./||')
  echo "$name: $imported files back, $(file -b "$image" | grep -o 'sectors [0-9]*' | head -1)"
done

finish check-import
