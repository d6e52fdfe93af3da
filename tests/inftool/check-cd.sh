#!/usr/bin/env bash
# The CD image of inftool build --cd of the demo's set, judged by isoinfo (every file under its
# level 1 and its Joliet name) and bsdtar (every file listed and read back byte for byte); its
# volume names and fixed times; the same bytes in another time zone; a set over 700 MB refused.
#   check-cd.sh INFTOOL SAMPLES WORK
# shellcheck source=tests/inftool/check-common.sh
source "$(dirname "$0")/check-common.sh"

inftool=${1:?inftool} samples=${2:?samples folder} work=${3:?work folder}
need isoinfo bsdtar

rm -rf "$work"
mkdir -p "$work"
head -c 20000 /dev/zero | tr '\0' S >"$work/setup.exe"

# build OUT [OPTION...]: the demo's set (or SCRIPT's, from FROM) as a CD, which must exit WANT.
build() {
  local out=$1 status=0
  shift
  "$inftool" build "${SCRIPT:-$samples/SETUP.INF}" --from "${FROM:-$samples/originals}" --setup \
    "$work/setup.exe" --follow-on "$work/setup.exe" --out "$out" --cd "$@" >"$out.table" 2>&1 || status=$?
  [ "$status" -eq "${WANT:-0}" ] || fail "inftool build --cd $* exited $status: $(cat "$out.table")"
}

# Without SOURCE_DATE_EPOCH, the newest input's time: the same in another time zone a second later.
TZ=UTC build "$work/first"
sleep 1
TZ=Asia/Tokyo build "$work/again"
cmp -s "$work/first.ISO" "$work/again.ISO" || fail "a second build of the same inputs differs"
export SOURCE_DATE_EPOCH=1000000000 # 2001-09-09 01:46:40 UTC
build "$work/cd"
iso=$work/cd.ISO
files=$(cd "$work/cd" && find . -type f | sed 's|^\./||' | sort)
grep -qx 'TWAIN/SCANDS.DS_' <<<"$files" || fail "disk 2's compressed file is not in the tree"
# isoinfo names a file by its path; the level 1 names end in ";1", and "." for no extension.
level1=$(isoinfo -f -i "$iso" | sed -n 's|^/||; s|;1$||; s|\.$||; /\./p' | sort)
[ "$level1" = "$(tr a-z A-Z <<<"$files" | sort)" ] ||
  fail "isoinfo lists the level 1 names"$'\n'"$level1"$'\n'"for the tree's"$'\n'"$files"
joliet=$(isoinfo -J -f -i "$iso" | sed -n 's|^/||; /\./p' | sort)
[ "$joliet" = "$files" ] || fail "isoinfo lists the Joliet names"$'\n'"$joliet"$'\n'"for"$'\n'"$files"
listed=$(bsdtar -tvf "$iso" | sed -nE 's/^-.* [0-9]{4} //p' | sort)
[ "$listed" = "$files" ] || fail "bsdtar lists"$'\n'"$listed"$'\n'"for"$'\n'"$files"
while IFS= read -r file; do
  bsdtar -xOf "$iso" "$file" | cmp -s - "$work/cd/$file" || fail "bsdtar reads $file otherwise"
done <<<"$files"

described=$(isoinfo -d -i "$iso")
for want in "Volume id: SCANNER_UTILITIE" "Joliet with UCS level 3 found" "NO Rock Ridge"; do
  grep -qF "$want" <<<"$described" || fail "isoinfo -d says, without \"$want\":"$'\n'"$described"
done
# The volume's creation, modification and effective times (not in isoinfo -d), in UTC.
dates=$(dd if="$iso" bs=1 skip=$((16 * 2048 + 813)) count=68 2>/dev/null | tr '\0' ' ')
[ "$dates" = "2001090901464000 2001090901464000 0000000000000000 2001090901464000 " ] ||
  fail "the volume's times are $dates"
# The Joliet volume name, in UCS-2 in the descriptor after the primary one.
joliet_volume() {
  dd if="$1" bs=1 skip=$((17 * 2048 + 40)) count=32 2>/dev/null | iconv -f UTF-16BE | sed 's/ *$//'
}
[ "$(joliet_volume "$iso")" = "Scanner Utilitie" ] ||
  fail "the Joliet volume name is not the AppName cut to 16 characters"
grep -qE "^CD \"Scanner Utilitie\": $(($(stat -c %s "$iso") / 2048)) sectors of 2048 bytes" \
  "$work/cd.table" || fail "build counts other sectors: $(cat "$work/cd.table")"

build "$work/named" --volume 'Demo CD'
[ "$(joliet_volume "$work/named.ISO")" = "Demo CD" ] ||
  fail "--volume Demo CD is not the Joliet volume name"
# Three more originals of 250 MiB (holes, which take no room here): 384,026 sectors in all, more
# than a 700 MB CD's 360,000. Refused, naming the count, with nothing written.
big=$work/big
mkdir -p "$big/orig"
cp -r "$samples/originals/." "$big/orig/"
sed 's/^\[PM Info\]/Big, B1.BIN, B1.BIN, 1, 1, N\r\nBig, B2.BIN, B2.BIN, 1, 1, N\r\nBig, B3.BIN, B3.BIN, 1, 1, N\r\n&/' \
  "$samples/SETUP.INF" >"$big/SETUP.INF"
truncate -s 250M "$big/orig/B1.BIN" "$big/orig/B2.BIN" "$big/orig/B3.BIN"
SCRIPT=$big/SETUP.INF FROM=$big/orig WANT=2 build "$big/cd"
grep -qx "inftool build: the CD image takes 384026 sectors of 2048 bytes, more than the 360000 of a 700 MB CD" \
  "$big/cd.table" || fail "a set of 384,026 sectors is not refused by its count: $(cat "$big/cd.table")"
[ "$(ls "$big")" = "$(printf '%s\n' SETUP.INF cd.table orig)" ] || fail "a refused build left $(ls "$big")"

echo "cd.ISO: $(wc -l <<<"$files") files listed by isoinfo and bsdtar and read back; reproducible"
finish check-cd
