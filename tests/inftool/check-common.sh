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
