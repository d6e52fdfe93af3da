#!/bin/bash
# Media of the build scenarios: the GUI test data laid out by inftool build, one layout per
# script in tests/gui/build with its floppy images, each checked with inftool check as a
# packager would; and the demo's set as one CD, DATA_DIR/built/cd.ISO, beside a copy of its
# originals in DATA_DIR/built/cd_originals.
#
#   build-media.sh INFTOOL DATA_DIR SETUP_EXE FOLLOWON_EXE
#
# Writes DATA_DIR/built/<script name>; fails when a build or a check is not clean.
set -u

inftool=${1:?inftool} data=${2:?data dir} setup=${3:?setup.exe} followon=${4:?follow-on}
scripts=$(dirname "$0")/build
built=$data/built
originals=$built/originals

die() {
    echo "build-media: $*" >&2
    exit 1
}

[ -x "$inftool" ] || die "no host inftool at $inftool: build the host preset first"
rm -rf "$built" && mkdir -p "$originals/TWAIN" || die "cannot prepare $built"
# Compressed entries are found by their destination name, plain ones also by their source
# name; one original sits in its [Dirs] folder, the others in the originals folder itself.
cp "$data/TEXT.DLL" "$originals/TWAIN/GUITEXT.DLL" &&
    cp "$data/BIN.DLL" "$originals/GUIBIN.DLL" &&
    cp "$data/PLAIN.INI" "$originals/PLAIN.INI" &&
    cp "$data/OTHER.INI" "$originals/GUIOTHER.INI" || die "cannot copy the originals"

for script in "$scripts"/*.inf; do
    name=$(basename "$script" .inf)
    out=$built/$name
    echo "== inftool build $name"
    printed=$("$inftool" build "$script" --from "$originals" --setup "$setup" \
        --follow-on "$followon" --out "$out" --disk-size 1.44M --images --strict) ||
        die "inftool build $name exited $?: $printed"
    echo "$printed"
    # A script of LF lines goes on the disk as CR LF lines, and build says so.
    if ! grep -q $'\r' "$script"; then
        grep -q "^$script: note: written with CR LF line ends" <<<"$printed" ||
            die "inftool build $name did not note its CR LF line ends"
    fi
    # One disk is OUT itself; several are OUT/DISK<n>, the installer's files on the first,
    # beside their images OUT/DISK<n>.IMG.
    media=()
    if [ -f "$out/SETUP.INF" ]; then
        media=(--media "$out")
        inf=$out/SETUP.INF
    else
        for disk in "$out"/DISK*/; do media+=(--media "${disk%/}"); done
        inf=$out/DISK1/SETUP.INF
    fi
    report=$("$inftool" check "$inf" "${media[@]}") || die "inftool check $name: $report"
    # Clean: nothing but the note on the installer, which the test builds do not sign.
    [ "$report" = "${inf%/SETUP.INF}/setup.exe: note: not signed" ] ||
        die "inftool check $name printed: $report"
    echo "inftool check ${media[*]}: clean"
done

samples=$(dirname "$0")/../../samples
cp -r "$samples/originals" "$built/cd_originals" || die "cannot copy the demo's originals"
echo "== inftool build --cd of the demo's set"
"$inftool" build "$samples/SETUP.INF" --from "$built/cd_originals" --setup "$setup" \
    --follow-on "$followon" --out "$built/cd" --cd --strict || die "inftool build --cd exited $?"
