#!/usr/bin/env bash
# Writes the seeds of fuzz_containers: the 360K disk of long names that fuzz_fat starts from,
# made whole again and turned by dsktrans into ImageDisk, TeleDisk and CopyQM; packed by zip,
# 7z and bsdtar (tar.gz); and a CD image of its files by xorriso, with Rock Ridge and Joliet.
#   tests/fuzz/make-container-seeds.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seeds=$root/tests/fuzz/seeds/containers
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MTOOLS_NO_VFAT=0 SOURCE_DATE_EPOCH=981173107

cp "$root/tests/fuzz/seeds/fat/names360.img" "$work/NAMES.IMG"
truncate -s 368640 "$work/NAMES.IMG"
mkdir -p "$seeds" "$work/files"
for type in imd tele copyqm; do
  dsktrans -itype raw -otype "$type" "$work/NAMES.IMG" "$seeds/names.$type" >/dev/null
done
(cd "$work" && zip -qX "$seeds/names.zip" NAMES.IMG && 7z a -bd "$seeds/names.7z" NAMES.IMG >/dev/null)
bsdtar -czf "$seeds/names.tar.gz" -C "$work" NAMES.IMG
mcopy -s -i "$work/NAMES.IMG" ::/* "$work/files/"
xorriso -as mkisofs -quiet -R -J -no-pad -o "$seeds/names.iso" "$work/files" 2>/dev/null
ls -l "$seeds"
