# Sourced by tools/demo and tests/gui/wine-env.sh: mounts a floppy image read-only so that
# Wine reads real FAT12 media, and unmounts it again.
#
#   floppy_mount IMAGE DIR   mounts IMAGE on DIR with the kernel's FAT driver, else with
#                            fusefat; returns 1 with the reason in FLOPPY_MOUNT_FAILED when
#                            neither works
#   cd_mount ISO DIR         the same for a CD image, with the kernel's ISO 9660 driver, else
#                            with fuseiso (which gives every file the mode 0444)
#   floppy_unmount DIR       unmounts DIR if something is mounted there
#
# FLOPPY_MOUNT_KIND tells which mounted the last image: "vfat", "fusefat", "iso9660" or
# "fuseiso".

FLOPPY_MOUNT_KIND=""
FLOPPY_MOUNT_FAILED=""

# image_mount IMAGE DIR WHAT FSTYPE DRIVER FUSE [FUSE_OPTION...]: the kernel's driver for FSTYPE
# first, else the FUSE program, read-only; FLOPPY_MOUNT_KIND is FSTYPE or FUSE.
image_mount() {
  local image=$1 dir=$2 what=$3 fstype=$4 driver=$5 fuse=$6
  shift 6
  [ -f "$image" ] || { FLOPPY_MOUNT_FAILED="no image $image"; return 1; }
  # Both mount and /dev/fuse are root's on these machines.
  if [ "$(id -u)" -ne 0 ]; then
    FLOPPY_MOUNT_FAILED="mounting $what image needs root"
    return 1
  fi
  floppy_unmount "$dir"
  mkdir -p "$dir" || { FLOPPY_MOUNT_FAILED="cannot make $dir"; return 1; }
  if mount -t "$fstype" -o ro,loop "$image" "$dir" 2>/dev/null; then
    FLOPPY_MOUNT_KIND=$fstype
    return 0
  fi
  # FUSE programs go to the background by themselves; fusefat prints debug lines on stdout.
  if command -v "$fuse" >/dev/null && "$fuse" "$@" "$image" "$dir" >/dev/null 2>&1 &&
    mountpoint -q "$dir"; then
    FLOPPY_MOUNT_KIND=$fuse
    return 0
  fi
  FLOPPY_MOUNT_FAILED="neither the kernel's $driver driver nor $fuse mounts $image"
  return 1
}

# fusefat's dates are a month off: nothing may compare timestamps through its mount.
floppy_mount() {
  image_mount "$1" "$2" "a floppy" vfat FAT fusefat -o ro,allow_other
}

# fuseiso gives every file the mode 0444, as a CD's files are read-only.
cd_mount() {
  image_mount "$1" "$2" "a CD" iso9660 "ISO 9660" fuseiso
}

floppy_unmount() {
  mountpoint -q "$1" 2>/dev/null || return 0
  fusermount -u "$1" 2>/dev/null || umount "$1"
}
