#!/usr/bin/env bash
# Runs every scenario script, the script fuzzer's seeds and regression
# inputs, and the default preview three times: with the native library, and
# with each slice of the phone's fat dylib under emulation (arm64, and arm64e
# with pointer authentication enforced; in the Settings app, the native
# settings pane and the phone's bundle under emulation), and requires the
# same output, the same exit status and the same picture, byte for byte. Needs
# build/corvane-sim and the output of ./scripts/package.
set -euo pipefail
cd "$(dirname "$0")/../.."
sim=$PWD/build/corvane-sim
dylib=$PWD/build-device/Corvane13.dylib
pane=$PWD/build-device/Corvane13Prefs.bundle
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
declare -A seconds=([native]=0 [arm64]=0 [arm64e]=0)

# timed KIND ARGS...: status and output in $scratch/KIND.{out,status}; adds
# the time taken to the total of its kind (native, arm64, arm64e).
timed() {
  local kind=$1
  shift
  local start end status=0
  start=$(date +%s.%N)
  "$@" >"$scratch/$kind.out" 2>&1 || status=$?
  end=$(date +%s.%N)
  echo "$status" >"$scratch/$kind.status"
  seconds[$kind]=$(echo "${seconds[$kind]} + $end - $start" | bc)
}

# same NAME ARCH: the emulated run of ARCH ended as the native one did.
same() {
  local name=$1 arch=$2
  if ! cmp -s "$scratch/native.out" "$scratch/$arch.out" ||
     ! cmp -s "$scratch/native.status" "$scratch/$arch.status"; then
    echo "FAIL: $name differs under emulation of the $arch slice:"
    diff "$scratch/native.out" "$scratch/$arch.out" | cut -c1-300 | head -20 || true
    echo "status: native $(cat "$scratch/native.status"), $arch $(cat "$scratch/$arch.status")"
    failures=$((failures + 1))
  fi
}

# The scenarios, and the fuzzer's seed and regression scripts: scripts that
# end in errors and crashes must end the same way too.
# They run in a scratch folder that sees the repository's files, so what a
# script writes (render out.png) stays out of the repository.
mkdir "$scratch/cwd"
ln -s "$PWD/tests" "$PWD/assets" "$PWD/fuzz" "$scratch/cwd/"
for script in tests/scenarios/*.cvs fuzz/corpus/script/*.cvs fuzz/regressions/script/*.cvs; do
  cd "$scratch/cwd"
  timed native "$sim" run "$script"
  for arch in arm64 arm64e; do
    timed $arch "$sim" run "$script" --library "$dylib" --arch $arch --pane "$pane"
    same "$script" $arch
  done
  cd - >/dev/null
done
declare -A scenario_seconds
for kind in native arm64 arm64e; do scenario_seconds[$kind]=${seconds[$kind]}; done

timed native "$sim" preview -o "$scratch/native.png"
sed -i "s|$scratch/native.png|PICTURE|" "$scratch/native.out"
for arch in arm64 arm64e; do
  timed $arch "$sim" preview -o "$scratch/$arch.png" --library "$dylib" --arch $arch
  sed -i "s|$scratch/$arch.png|PICTURE|" "$scratch/$arch.out"
  same "the preview's report" $arch
  cmp -s "$scratch/native.png" "$scratch/$arch.png" || {
    echo "FAIL: the preview's picture differs under emulation of the $arch slice"
    failures=$((failures + 1))
  }
done

printf 'scenarios: native %.2f s, arm64 %.2f s, arm64e %.2f s (%.2fx arm64); preview: native %.2f s, arm64 %.2f s, arm64e %.2f s\n' \
  "${scenario_seconds[native]}" "${scenario_seconds[arm64]}" "${scenario_seconds[arm64e]}" \
  "$(echo "${scenario_seconds[arm64e]} / ${scenario_seconds[arm64]}" | bc -l)" \
  "$(echo "${seconds[native]} - ${scenario_seconds[native]}" | bc)" \
  "$(echo "${seconds[arm64]} - ${scenario_seconds[arm64]}" | bc)" \
  "$(echo "${seconds[arm64e]} - ${scenario_seconds[arm64e]}" | bc)"
# --count-instructions reports, for each slice, the guest instructions of the
# load-time entry and of a banner's layout.
counted='load
new b1 banner icon=solid:255,59,48,255@40x40 frame=0,0,359,76
layout b1'
for arch in arm64 arm64e; do
  out=$(cd "$scratch/cwd" && "$sim" run - --library "$dylib" --arch $arch --count-instructions <<<"$counted" 2>&1)
  grep -qE '^<stdin>:1: load: [1-9][0-9]* guest instructions$' <<<"$out" &&
    grep -qE '^<stdin>:3: layout: [1-9][0-9]* guest instructions$' <<<"$out" || {
    echo "FAIL: --count-instructions under $arch: $out"
    failures=$((failures + 1))
  }
done

[ "$failures" -eq 0 ] || { echo "$failures difference(s) under emulation"; exit 1; }
echo "every scenario and the preview are identical under emulation of both slices"
