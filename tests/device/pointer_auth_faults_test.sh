#!/usr/bin/env bash
# Shows that the emulation enforces pointer authentication as an A12 does:
# each case rewrites the linker's output of the arm64e slice with one fault
# (build/arm64e-fixup's fault options), runs a banner's first layout on it,
# and the simulated process must crash (exit 3) naming the failed
# authentication and where it was. Needs the output of ./scripts/package.
set -euo pipefail
cd "$(dirname "$0")/../.."
source device/toolchain.sh
sim=$PWD/build/corvane-sim
linked=build-device/arm64e/linked.dylib
requests=$(cat build-device/arm64e/obj/*.requests | paste -sd+ | bc)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
script='settings darkColorTint=YES
load
new b1 banner icon=solid:255,59,48,255@40x40 frame=0,0,359,76
layout b1'

# fault NAME EXPECTED-MESSAGE OPTIONS...
fault() {
  local name=$1 message=$2 out status=0
  shift 2
  build/arm64e-fixup rewrite "$linked" "$scratch/slice" --requests "$requests" "$@" >/dev/null
  "$DEVICE_LIPO" -create build-device/Corvane13-arm64.dylib "$scratch/slice" -output "$scratch/fat.dylib"
  out=$(cd "$scratch" && "$sim" run - --library "$scratch/fat.dylib" <<<"$script" 2>&1) || status=$?
  if [ "$status" -ne 3 ] || ! grep -qF -- "pointer authentication failed: $message" <<<"$out"; then
    echo "FAIL: $name: status $status, output:"
    echo "$out" | cut -c1-400
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}

fault "an unsigned static table slot" "argument 2 of class_addMethod is " --plain-first-request
fault "an unsigned block invoke" \
  "the invoke of a block passed as argument 3 of +[UIView animateWithDuration:animations:]" --unsigned-blocks
fault "an unsigned initialiser" "a branch to 0x" --plain-initialisers
fault "table slots signed with the wrong key (IB)" "argument 2 of class_addMethod is " --request-key ib

[ "$failures" -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
echo "every pointer-authentication fault tried crashes the process"
