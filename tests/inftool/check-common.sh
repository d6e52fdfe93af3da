# shellcheck shell=bash
# Sourced by the check scripts: strict mode, sbin on PATH (mkfs.fat and fsck.fat live there,
# which a user's PATH may lack), and the counting of failures.
set -euo pipefail
export PATH=$PATH:/usr/sbin:/sbin LC_ALL=C
need() {
  for tool; do
    command -v "$tool" >/dev/null || { echo "FAIL: no $tool (tools/install-deps installs it)"; exit 1; }
  done
}
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
finish() {
  echo "$1: $failures failure(s)"
  [ "$failures" -eq 0 ]
}
# The lines of inftool/formats/floppies.def, the one home of the floppy geometries, as
# "name built sectors per-cluster root-entries per-track heads media per-fat", media in hex.
floppies_def=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/inftool/formats/floppies.def
floppies() {
  sed -nE 's/^FLOPPY\("([^"]+)", *(.*)\)$/\1 \2/p' "$floppies_def" | tr -d ',' |
    sed -E 's/ +/ /g; s/ 0x([0-9A-F]+) / \L\1 /'
}
[ "$(floppies | wc -l)" -gt 8 ] || { echo "FAIL: no floppies in $floppies_def"; exit 1; }
