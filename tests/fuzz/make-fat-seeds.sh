#!/usr/bin/env bash
# Writes the seeds of fuzz_fat: the images inftool build writes of the demo's two disks
# (1.44M) and of a disk of long, lower-case and nested names (360K, and DMF's 1.68M), and a
# FAT16 volume that mkfs.fat formats and mcopy fills with the same names, each cut after its
# last byte that is not zero, which the fuzz target restores.
#   tests/fuzz/make-fat-seeds.sh INFTOOL
set -euo pipefail
inftool=${1:?inftool}
root=$(cd "$(dirname "$0")/../.." && pwd)
seeds=$root/tests/fuzz/seeds/fat
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=981173107

printf 'MZ stand-in' >"$work/setup.exe"
build() { # NAME SCRIPT ORIGINALS SIZE
  "$inftool" build "$2" --from "$3" --setup "$work/setup.exe" --follow-on "$work/setup.exe" \
    --out "$work/$1" --disk-size "$4" --images >/dev/null || [ $? -eq 1 ]
}
cut_zeros() { # IMAGE SEED
  python3 -c 'import sys; d = open(sys.argv[1], "rb").read().rstrip(b"\0"); open(sys.argv[2], "wb").write(d)' "$1" "$2"
}

build demo "$root/samples/SETUP.INF" "$root/samples/originals" 1.44M
mkdir -p "$work/orig-names/Windows Files" "$work/orig-names/twain/Long Folder"
printf 'help\r\n' >"$work/orig-names/Windows Files/SCANUTIL.HLP"
printf 'long\r\n' >"$work/orig-names/Windows Files/LONGNAME.TXT"
printf '[scan]\r\n' >"$work/orig-names/twain/Long Folder/SCANDS.INI"
printf '%s\r\n' '[Application]' 'AppName = Names' '[Disks]' '1 = small disk' '[Dirs]' \
  '1 = Windows Files' '2 = twain\Long Folder' '[Files]' \
  'Help, ScanUtil.Hlp, SCANUTIL.HLP, 1, 1, N' 'Long, Long Name.txt, LONGNAME.TXT, 1, 1, N' \
  'Settings, scands.INI, SCANDS.INI, 2, 1, N' '[End]' >"$work/names.inf"
build names "$work/names.inf" "$work/orig-names" 360K
build names-dmf "$work/names.inf" "$work/orig-names" 1.68M
# The smallest FAT16 volume of 512-byte clusters: 4,400 sectors, past FAT12's 4,084 clusters.
export PATH=$PATH:/usr/sbin:/sbin MTOOLS_NO_VFAT=0
mkfs.fat -C -F 16 -s 1 -n NAMES "$work/fat16.img" 2200 >/dev/null
mcopy -s -i "$work/fat16.img" "$work/names/"* ::/

mkdir -p "$seeds"
cut_zeros "$work/demo/DISK1.IMG" "$seeds/demo1.img"
cut_zeros "$work/demo/DISK2.IMG" "$seeds/demo2.img"
cut_zeros "$work/names.IMG" "$seeds/names360.img"
cut_zeros "$work/names-dmf.IMG" "$seeds/names-dmf.img"
cut_zeros "$work/fat16.img" "$seeds/fat16.img"
ls -l "$seeds"
