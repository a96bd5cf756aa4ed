#!/usr/bin/env bash
# Every build keeps multiplications and additions apart (-ffp-contract=off):
# not one fused multiply-add instruction (x86 FMA3: vfmadd, vfmsub, vfnmadd,
# vfnmsub) in the object code of the libraries given (the core, the optics). Clang fuses by default, so this
# proves the option reached the compiler. Trivially true on a target without
# FMA, where no compiler can fuse.
# Usage: no_fused_multiply_add.sh LIBRARY...
set -euo pipefail
[[ $# -gt 0 ]] || { echo "usage: no_fused_multiply_add.sh LIBRARY..." >&2; exit 2; }
for library in "$@"; do
  fused=$(objdump -d --no-show-raw-insn "$library" | grep -cE '\svf(n)?m(add|sub)' || true)
  if [[ $fused -ne 0 ]]; then
    echo "no_fused_multiply_add: $library holds $fused fused multiply-adds:" >&2
    objdump -d --no-show-raw-insn "$library" | grep -E '\svf(n)?m(add|sub)' | head -n 5 >&2
    exit 1
  fi
  echo "no_fused_multiply_add: none in $library"
done
