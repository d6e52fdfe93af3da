#!/usr/bin/env bash
# inftool import of images that tools no one here wrote made: mformat formats each floppy of
# inftool/formats/floppies.def, whose boot sector must carry the values that file gives, and
# mkfs.fat the forms it makes of its own (DMF, sectors of 1024 bytes, a FAT16 volume); mcopy
# fills each from a script and files this test writes itself, under long and lower-case names
# as mtools writes them. Every listed file must come back as its original, byte for byte, and
# every other file of the disk, as mtools reads it, under unlisted/. A FAT32 volume, a
# partitioned image (of sfdisk's GPT too) and a volume too large are refused by name with a
# hint that, followed, imports; and so is a TeleDisk image that crashes libdsk.
#
#   check-import.sh INFTOOL WORK
# shellcheck source=tests/inftool/check-common.sh
source "$(dirname "$0")/check-common.sh"

inftool=${1:?inftool} work=${2:?work folder}
export MTOOLS_NO_VFAT=0
need mkfs.fat mformat fsck.fat mmd mcopy mren mdir python3 sfdisk

rm -rf "$work"
mkdir -p "$work/orig/WINDOWS" "$work/orig/TWAIN" "$work/files"
seeds=$(cd "$(dirname "$0")/../fuzz/seeds/containers" && pwd)
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

# name, the formatter's call, and for a floppy of floppies.def the values its boot sector
# must carry (bytes per sector to heads): each floppy by mformat, from its tracks, heads and
# sectors, with the cluster and root folder DMF needs; then forms mkfs.fat makes of its own.
formats=()
while read -r name _ sectors cluster root track heads media fat; do
  formats+=("$name|mformat -C -i IMAGE -v FOREIGN -t $((sectors / track / heads)) -h $heads -s $track -c $cluster -r $((root * 32 / 512)) ::|512 $cluster 1 2 $root $sectors $((16#$media)) $fat $track $heads")
done < <(floppies)
formats+=("mkfs-DMF|mkfs.fat -C -n FOREIGN -s 4 -r 16 IMAGE 1680|"
  "mkfs-1024|mkfs.fat -C -n FOREIGN -S 1024 IMAGE 1440|" "mkfs-FAT16|mkfs.fat -C -n FOREIGN -F 16 IMAGE 16384|")

parameters() { # IMAGE
  python3 -c 'import struct, sys; print(*struct.unpack_from("<HBHBHHBHHH", open(sys.argv[1], "rb").read(), 11))' "$1"
}

for format in "${formats[@]}"; do
  IFS='|' read -r name formatter want <<<"$format"
  image=$name.img
  rm -f "$image"
  read -ra call <<<"${formatter//IMAGE/$image}"
  MTOOLS_SKIP_CHECK=1 "${call[@]}" >/dev/null
  [ -z "$want" ] || [ "$(parameters "$image")" = "$want" ] ||
    fail "$name: ${call[0]} writes the values $(parameters "$image"), floppies.def $want"
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
  echo "$name: $imported files back from $(stat -c %s "$image") bytes"
done

# Refused by name, nothing written: a FAT32 volume, a FAT16 one behind a partition table, and
# a floppy container on which libdsk crashes.
mkfs.fat -C -F 32 -n FOREIGN fat32.img 40000 >/dev/null
mkfs.fat -C -F 16 --offset 2048 partitioned.img 9216 >/dev/null
python3 -c 'import struct, sys
with open(sys.argv[1], "r+b") as image:
    image.seek(446)
    image.write(struct.pack("<B3sB3sII", 0, b"\0\x21\0", 6, b"\xfe\xff\xff", 2048, 16384))
    image.seek(510)
    image.write(b"\x55\xaa")' partitioned.img
# A TeleDisk image that fuzz_containers found to make libdsk 1.5 abort.
cp "$seeds/stops-libdsk.td0" stops.td0
# A FAT16 volume behind sfdisk's GPT, whose first sector protects it; one too large to read.
truncate -s 12M gpt.img
printf 'label: gpt\nstart=2048, size=18432, type=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\n' |
  sfdisk -q gpt.img
mkfs.fat -F 16 --offset 2048 gpt.img 9216 >/dev/null
mkfs.fat -C -F 16 large.img 204800 >/dev/null
for image in gpt.img@@1M large.img; do
  mmd -i "$image" ::/windows "::/Twain Files"
  mcopy -i "$image" files/SETUP.INF files/setup.exe ::/
  mcopy -i "$image" files/SCANDS.DS_ "::/Twain Files/"
  mcopy -i "$image" files/scanutil.hl_ orig/WINDOWS/SCANUTIL.INI ::/windows/
  mren -i "$image" ::/windows/SCANUTIL.INI "::/windows/Scan Util.ini"
done
for refused in "fat32.img:a FAT32 volume" "partitioned.img:a partitioned image" \
  "stops.td0:a TeleDisk image: damaged: libdsk stopped on it" \
  "gpt.img:a partitioned image: its first sector protects a GPT, whose partition 1 spans sectors 2048 to 20479; give that partition alone, cut out as dd if=IMAGE of=PARTITION.IMG bs=512 skip=2048 count=18432" \
  "large.img:its boot sector declares a volume of 209715200 bytes, more than the 167772160 (160 MiB) an image may hold here; copy its files into a folder (mcopy -s -i IMAGE :: FOLDER, or mount it) and give the folder"; do
  image=${refused%%:*} why=${refused#*:}
  status=0
  "$inftool" import "$image" --out refused >refused.out 2>&1 || status=$?
  if [ "$status" -ne 2 ] || ! grep -qF "inftool import: $image: $why" refused.out || [ -e refused ]; then
    fail "$image: import exited $status: $(cat refused.out)"
  fi
  echo "$image: $(head -1 refused.out)"
done
# Each hint, followed, imports.
dd if=gpt.img of=PARTITION.IMG bs=512 skip=2048 count=18432 status=none
mcopy -s -i large.img :: FOLDER
for given in PARTITION.IMG FOLDER; do
  "$inftool" import "$given" --out "from-$given" >hint.out 2>&1 || fail "$given: $(cat hint.out)"
  cmp -s "from-$given/windows/SCANUTIL.HLP" orig/WINDOWS/SCANUTIL.HLP || fail "$given: not read whole"
done

finish check-import
