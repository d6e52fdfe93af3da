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

floppy_mount() {
  local image=$1 dir=$2
  [ -f "$image" ] || { FLOPPY_MOUNT_FAILED="no image $image"; return 1; }
  # Both mount and /dev/fuse are root's on these machines.
  if [ "$(id -u)" -ne 0 ]; then
    FLOPPY_MOUNT_FAILED="mounting a floppy image needs root"
    return 1
  fi
  floppy_unmount "$dir"
  mkdir -p "$dir" || { FLOPPY_MOUNT_FAILED="cannot make $dir"; return 1; }
  if mount -t vfat -o ro,loop "$image" "$dir" 2>/dev/null; then
    FLOPPY_MOUNT_KIND=vfat
    return 0
  fi
  # fusefat goes to the background by itself and prints debug lines on stdout. Its dates are a
  # month off: nothing may compare timestamps through its mount.
  if command -v fusefat >/dev/null && fusefat -o ro,allow_other "$image" "$dir" >/dev/null 2>&1 &&
    mountpoint -q "$dir"; then
    FLOPPY_MOUNT_KIND=fusefat
    return 0
  fi
  FLOPPY_MOUNT_FAILED="neither the kernel's FAT driver nor fusefat mounts $image"
  return 1
}

cd_mount() {
  local image=$1 dir=$2
  [ -f "$image" ] || { FLOPPY_MOUNT_FAILED="no image $image"; return 1; }
  if [ "$(id -u)" -ne 0 ]; then
    FLOPPY_MOUNT_FAILED="mounting a CD image needs root"
    return 1
  fi
  floppy_unmount "$dir"
  mkdir -p "$dir" || { FLOPPY_MOUNT_FAILED="cannot make $dir"; return 1; }
  if mount -t iso9660 -o ro,loop "$image" "$dir" 2>/dev/null; then
    FLOPPY_MOUNT_KIND=iso9660
    return 0
  fi
  if command -v fuseiso >/dev/null && fuseiso "$image" "$dir" >/dev/null 2>&1 &&
    mountpoint -q "$dir"; then
    FLOPPY_MOUNT_KIND=fuseiso
    return 0
  fi
  FLOPPY_MOUNT_FAILED="neither the kernel's ISO 9660 driver nor fuseiso mounts $image"
  return 1
}

floppy_unmount() {
  mountpoint -q "$1" 2>/dev/null || return 0
  fusermount -u "$1" 2>/dev/null || umount "$1"
}
