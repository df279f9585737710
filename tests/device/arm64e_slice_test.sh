#!/usr/bin/env bash
# The arm64e slice's fixups, read two ways: llvm-objdump's reading of what
# ld64.lld linked (classic rebases, binds and lazy binds, with the stored
# pointers read from the file's bytes here), and the post-link step's own
# decoder on the rewritten slice (threaded words). They must name the same
# slots and the same targets; the pointers the compiler asked to be signed
# and the initialiser must be the signed ones; and the step must refuse a
# count of requests that differs from the assembly's. Needs the output of
# ./scripts/package.
set -euo pipefail
cd "$(dirname "$0")/../.."
source device/toolchain.sh
linked=build-device/arm64e/linked.dylib
slice=build-device/Corvane13-arm64e.dylib
fixup=build/arm64e-fixup
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The 8 bytes at an unslid address of the linked file, as a hexadecimal
# number, through its segments' addresses and file offsets.
segments=$("$ARM64E_OBJDUMP" --macho --private-headers "$linked" |
  awk '$1 == "cmd" { seg = ($2 == "LC_SEGMENT_64") } seg && $1 == "vmaddr" { v = $2 }
       seg && $1 == "fileoff" { print v, $2 }')
word_at() {
  local address=$((16#$1)) off=-1 vm fo
  while read -r vm fo; do
    [ "$address" -ge "$((vm))" ] && off=$((address - vm + fo))
  done <<<"$segments"
  od -A n -t x8 -j "$off" -N 8 "$linked" | tr -d ' '
}

# The linker's view: every slot with what it holds.
"$ARM64E_OBJDUMP" --macho --rebase --bind --lazy-bind "$linked" >"$scratch/classic"
# (addresses as llvm-objdump prints them: 0x0000C018)
lower() { sed -E 's/^0x([0-9A-F]+)/\L\1/'; }
binds=$(awk '/^(Bind|Lazy bind) table:/ { on = 1; next } on && $3 ~ /^0x/ && $NF != "dyld_stub_binder" {
               print $3, "bind", $NF }' "$scratch/classic" | lower | sort)
bound=$(cut -d' ' -f1 <<<"$binds")
expected=$( (
  echo "$binds"
  awk '/^Rebase table:/ { on = 1; next } /^$/ { on = 0 } on && $3 ~ /^0x/ { print $3 }' \
    "$scratch/classic" | lower | grep -vxF "$bound" | while read -r a; do
    w=$(word_at "$a")
    if [ "$((16#${w:0:1} & 8))" -ne 0 ]; then
      # A carried request: the key in bits 49-50, the target in the low 32.
      keys=(ia ib da db)
      echo "$a auth-rebase 0x$(printf %x $((16#${w:8:8}))) ${keys[$(((16#${w:0:4} >> 1) & 3))]}"
    else
      echo "$a rebase 0x$(printf %x $((16#$w)))"
    fi
  done
) | sort)

# The rewrite's view.
"$fixup" describe "$slice" >"$scratch/described"
actual=$(awk '$1 == "fixup" || $1 == "initialiser" {
                a = substr($2, 3); kind = $3; target = $4
                if (kind ~ /^auth-/ && $1 == "fixup") print a, kind, target, $5
                else if ($1 == "initialiser") print a, "rebase", target
                else print a, kind, target }' "$scratch/described" | sort)
[ "$actual" = "$expected" ] ||
  fail "the threaded fixups differ from the linker's (< linker, > rewrite):
$(diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' | head -20)"
grep -q '^initialiser .* auth-rebase 0x[0-9a-f]* ia div 0 addr 0' "$scratch/described" ||
  fail "the initialiser is not signed IA/0"
requests=$(cat build-device/arm64e/obj/*.requests | paste -sd+ | bc)
signed=$(grep -c '^fixup .* auth-' "$scratch/described" || true)
[ "$signed" = "$requests" ] || fail "$requests requests in the assembly, $signed signed slots"

# A request lost on the way (or one too many) stops the build.
for n in $((requests - 1)) $((requests + 1)); do
  if out=$("$fixup" rewrite "$linked" "$scratch/x.dylib" --requests "$n" 2>&1); then
    fail "a count of $n requests was accepted"
  else
    grep -q "asked for $n signed pointers, the linked file holds $requests" <<<"$out" || fail "$out"
  fi
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "arm64e slice: $(wc -l <<<"$actual") fixups, $signed signed slots and the initialiser, as the linker placed them"
