#!/usr/bin/env bash
# check-inftool-flush-order.sh TRACE: in inftool's strace -y record of a run, every file and
# folder it made under a staging name (NAME.~inftoolN) was flushed before that name was renamed
# into place, and each folder a rename published into was flushed after its last rename.
set -euo pipefail
awk '
  # The folder of a call at a descriptor, and the name it gives: "3</a/b>, \"x\"" -> /a/b/x.
  function at(line,    dir, name) {
    dir = line; sub(/^[^<]*</, "", dir); sub(/>.*$/, "", dir)
    name = line; sub(/^[^"]*"/, "", name); sub(/".*$/, "", name)
    folder = dir
    return dir "/" name
  }
  { sub(/^[0-9]+ +/, "") }
  /^openat\(/ && /O_CREAT/ && !/~inftool-lock/ && / = [0-9]/ { made[at($0)] = 1 }
  /^mkdirat\(/ && / = 0$/ { made[at($0)] = 1 }
  /^fsync\(/ && / = 0$/ {
    path = $0; sub(/^[^<]*</, "", path); sub(/>.*$/, "", path)
    flushed[path] = 1
    delete unflushed[path]
  }
  /^renameat2?\(/ && / = 0$/ {
    source = at($0)
    if (source !~ /\.~inftool[0-9]+$/) next
    renamed++
    for (path in made)
      if ((path == source || index(path, source "/") == 1) && !(path in flushed)) {
        print "FAIL: " path " not flushed before " source " was renamed"
        faults++
      }
    unflushed[folder] = 1
  }
  END {
    for (path in unflushed) { print "FAIL: " path " not flushed after a rename into it"; faults++ }
    printf "flush order: %d renames into place, %d faults\n", renamed, faults
    exit (renamed == 0 || faults > 0)
  }' "${1:?trace}"
