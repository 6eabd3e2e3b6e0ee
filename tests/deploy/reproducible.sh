#!/usr/bin/env bash
# Two clean builds of the same source, in two folders of different names and
# at different times, must give byte-identical unsigned programs, for both
# architectures. Prints one line per architecture; exits non-zero on a
# difference.
set -uo pipefail
source "$(dirname "$0")/../../scripts/lib/common.sh"
export SOURCE_DATE_EPOCH="$(source_date_epoch)"
work=$(mktemp -d /tmp/kestrane-repro.XXXXXX)
trap 'rm -rf "$work"' EXIT
status=0
for tree in a "second-tree-with-a-longer-name"; do
  mkdir -p "$work/$tree"
  # The committed source plus what is not committed yet, without build output.
  tar -C "$ROOT" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/$tree" -xf -
  for arch in x86_64 i686; do
    cmake -S "$work/$tree" -B "$work/$tree/build/$arch" -DCMAKE_TOOLCHAIN_FILE="$work/$tree/cmake/mingw-w64-$arch.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null &&
      cmake --build "$work/$tree/build/$arch" -j"$(nproc)" --target kestrane >/dev/null || status=1
  done
  sleep 2  # a different time for the second build
done
for arch in x86_64 i686; do
  a=$(sha256sum < "$work/a/build/$arch/kestrane.scr" | cut -d' ' -f1)
  b=$(sha256sum < "$work/second-tree-with-a-longer-name/build/$arch/kestrane.scr" | cut -d' ' -f1)
  if [ -n "$a" ] && [ "$a" = "$b" ]; then
    echo "ok   $arch kestrane.scr is the same in both builds: $a"
  else
    echo "FAIL $arch kestrane.scr differs between the builds: $a vs $b"
    cmp -l "$work/a/build/$arch/kestrane.scr" "$work/second-tree-with-a-longer-name/build/$arch/kestrane.scr" | head -5
    status=1
  fi
done
exit $status
