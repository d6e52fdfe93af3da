# Sourced by tools/install-deps, tools/test and tools/demo: where qemu-i386 is kept, and the
# machine-wide binfmt_misc handler that lets this kernel run the 32-bit Wine through it.
#
#   i386_emulation_start   registers the handler, or finds the kernel runs i386 itself;
#                          returns 1 with the reason in I386_SKIP_REASON when neither works
#   i386_emulation_stop    removes the handler again (also run by the EXIT trap it sets)
#
# A caller may redefine i386_before_stop to end its 32-bit processes before the handler goes.
# I386_MODE tells which it was: "native" or "qemu". I386_EMULATION=qemu registers the handler
# even where the kernel runs i386 itself, to try the emulated path on such a machine.

I386_CACHE=/var/cache/media-setup
QEMU_I386=$I386_CACHE/qemu-i386
I386_SKIP_REASON=""
I386_MODE=""

readonly I386_BINFMT=/proc/sys/fs/binfmt_misc
readonly I386_HANDLER=media-setup-i386
readonly I386_LOCK=/run/media-setup-i386.lock
i386_registered=""
i386_mounted=""

# ELF, 32-bit, little-endian, machine 3 (i386) at offset 18: the entry's magic as the kernel
# shows it, whatever mask it was registered with.
i386_entry_matches() {
  local magic
  magic=$(sed -n 's/^magic //p' "$1" 2>/dev/null)
  [ "${magic:0:10}" = 7f454c4601 ] && [ "${magic:36:4}" = 0300 ]
}

i386_skip() {
  I386_SKIP_REASON=$1
  i386_emulation_stop
  return 1
}

# Prints an i386 entry that is not this project's, if one is registered.
i386_foreign_entry() {
  local entry
  for entry in "$I386_BINFMT"/*; do
    [ "${entry##*/}" != "$I386_HANDLER" ] && [ -f "$entry" ] && i386_entry_matches "$entry" || continue
    echo "$entry"
    return 0
  done
  return 1
}

i386_runs() {
  /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

i386_emulation_start() {
  local entry
  if entry=$(i386_foreign_entry); then
    i386_skip "an i386 handler that is not this project's is registered ($entry)"
    return 1
  fi
  # Where the kernel runs i386 code itself, no handler is needed.
  if [ "${I386_EMULATION:-}" != qemu ] && [ ! -e "$I386_BINFMT/$I386_HANDLER" ] && i386_runs; then
    I386_MODE=native
    return 0
  fi
  [ "$(id -u)" -eq 0 ] || { i386_skip "registering the i386 emulation needs root"; return 1; }
  [ -x "$QEMU_I386" ] || { i386_skip "no $QEMU_I386 (tools/install-deps fetches it)"; return 1; }
  exec {i386_lock_fd}>"$I386_LOCK"
  flock -n "$i386_lock_fd" || { i386_skip "another run holds the i386 handler ($I386_LOCK)"; return 1; }
  trap i386_emulation_stop EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  trap 'exit 129' HUP
  if [ ! -e "$I386_BINFMT/register" ]; then
    mount -t binfmt_misc binfmt_misc "$I386_BINFMT" 2>/dev/null || { i386_skip "binfmt_misc cannot be mounted"; return 1; }
    i386_mounted=1
  fi
  # A killed earlier run may have left the entry; under the lock it can be no one else's.
  [ -e "$I386_BINFMT/$I386_HANDLER" ] && echo -1 >"$I386_BINFMT/$I386_HANDLER"
  if entry=$(i386_foreign_entry); then
    i386_skip "an i386 handler that is not this project's is registered ($entry)"
    return 1
  fi
  if [ "${I386_EMULATION:-}" != qemu ] && i386_runs; then
    i386_emulation_stop
    I386_MODE=native
    return 0
  fi
  printf '%s' ":$I386_HANDLER:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$QEMU_I386:F" \
    >"$I386_BINFMT/register" 2>/dev/null || { i386_skip "the kernel refused the binfmt_misc entry"; return 1; }
  i386_registered=1
  i386_runs || { i386_skip "qemu-i386 does not run /lib/ld-linux.so.2 (is wine32:i386 installed?)"; return 1; }
  I386_MODE=qemu
  return 0
}

i386_before_stop() { :; }

i386_emulation_stop() {
  [ -z "$i386_registered" ] || i386_before_stop
  if [ -n "$i386_registered" ] && [ -e "$I386_BINFMT/$I386_HANDLER" ]; then
    echo -1 >"$I386_BINFMT/$I386_HANDLER"
  fi
  i386_registered=""
  if [ -n "$i386_mounted" ] && [ "$(ls "$I386_BINFMT" | grep -cvxE 'register|status')" -eq 0 ]; then
    umount "$I386_BINFMT" 2>/dev/null
  fi
  i386_mounted=""
  if [ -n "${i386_lock_fd:-}" ]; then
    exec {i386_lock_fd}>&-
    unset i386_lock_fd
  fi
}
