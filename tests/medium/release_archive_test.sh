#!/usr/bin/env bash
# The release archive of a medium, as cmake/release_archive.cmake writes it: within its size, its
# own checksum right, and unpacked, the whole medium with right checksums and program modes.
# Usage: release_archive_test.sh SCRIPT MEDIUM ARCHIVE_NAME [MAX_BYTES]
set -euo pipefail
script=$1
medium=$(realpath "$2")
name=$3
max_bytes=${4:-}
status=0
fail() { echo "FAIL: $*"; status=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cmake -D MEDIUM_DIR="$medium" -D ARCHIVE="$name" -P "$script"

size=$(stat -c %s "$name")
echo "$name: $size bytes"
if [ -n "$max_bytes" ] && [ "$size" -gt "$max_bytes" ]; then
  fail "$name is $size bytes, more than $max_bytes"
fi
sha256sum -c SHA256SUMS || fail "the archive's checksum"

mkdir unpacked
case $name in
  *.tar.gz) tar -xzf "$name" -C unpacked; top=${name%.tar.gz} ;;
  *.zip) unzip -q "$name" -d unpacked; top=${name%.zip} ;;
esac
cd "unpacked/$top"
sha256sum -c --quiet SHA256SUMS || fail "the checksums of the unpacked files"
diff <(cd "$medium" && find . -type f | sort) <(find . -type f ! -path ./SHA256SUMS | sort) ||
  fail "the archive does not hold exactly the medium"
if [[ $name == *.tar.gz ]]; then
  for program in Setup.exe Velmora_KZ.2.0.1.exe; do
    [ "$(stat -c %a "$program")" = 755 ] || fail "$program lost its mode in the archive"
  done
fi
exit $status
