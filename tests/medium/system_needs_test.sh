#!/usr/bin/env bash
# What the Linux medium asks of the system, as README promises: no program or library on it, ours
# or the bundled toolkit's, nor the window module the launcher carries, needs a newer glibc than
# 2.34 or a newer C++ runtime than GCC 11's: what RHEL 9, Ubuntu 22.04 and Debian 12 have. The
# loader refuses a file for every version it lists as needed (objdump -p, "Version References"),
# whether or not a symbol is still bound to it, unless the need is marked weak (flag 0x02).
# Usage: system_needs_test.sh MEDIUM WINDOW_MODULE
set -euo pipefail
medium=$1
module=$2
status=0
fail() { echo "FAIL: $*"; status=1; }

# The oldest versions of the C library, the C++ library and its ABI, and the GCC runtime.
floors=(GLIBC_2.34 GLIBCXX_3.4.29 CXXABI_1.3.13 GCC_7.0.0)

# Whether version a is at most b.
at_most() { [ "$(printf '%s\n' "$1" "$2" | sort -V | tail -1)" = "$2" ]; }

check() {
  local file=$1 needs floor prefix newest
  needs=$(objdump -p "$file" | sed -n '/^Version References:/,/^$/p' |
    awk '!/^ +0x/ || $2 != "0x02"')
  for floor in "${floors[@]}"; do
    prefix=${floor%_*}
    newest=$(grep -oE "\\b${prefix}_[0-9.]+\$" <<<"$needs" | sed "s/^${prefix}_//" | sort -V |
      tail -1 || true)
    [ -n "$newest" ] || continue
    if ! at_most "$newest" "${floor#*_}"; then
      fail "$(basename "$file") needs ${prefix}_$newest, newer than $floor, for:" \
        "$(objdump -T "$file" | grep -F "(${prefix}_$newest)" | awk '{ print $NF }' | tr '\n' ' ')"
    fi
  done
  echo "$(basename "$file"): $(grep -oE '\b(GLIBC|GLIBCXX)_[0-9.]+$' <<<"$needs" | sort -V |
    awk -F_ '{ newest[$1] = $0 } END { for (p in newest) printf "%s ", newest[p] }')"
}

count=0
while IFS= read -r -d '' file; do
  if [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ]; then
    check "$file"
    count=$((count + 1))
  fi
done < <(find "$medium" -type f -print0)
check "$module"
# Our three programs and the toolkit's libraries and plugins.
[ "$count" -ge 30 ] || fail "only $count programs and libraries on the medium"
exit $status
