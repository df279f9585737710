#!/usr/bin/env bash
# Runs every scenario script, the script fuzzer's seeds and regression
# inputs, and the default preview twice, with the native
# library and with the phone's dylib under emulation, and requires the same
# output, the same exit status and the same picture, byte for byte. Needs
# build/corvane-sim and the output of ./scripts/package.
set -euo pipefail
cd "$(dirname "$0")/../.."
sim=$PWD/build/corvane-sim
dylib=$PWD/build-device/Corvane13-arm64.dylib
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
native_seconds=0
emulated_seconds=0

# run NAME ARGS...: status and output in $scratch/NAME.{out,status}; adds the
# time taken to the total of its kind.
timed() {
  local kind=$1
  shift
  local start end status=0
  start=$(date +%s.%N)
  "$@" >"$scratch/$kind.out" 2>&1 || status=$?
  end=$(date +%s.%N)
  echo "$status" >"$scratch/$kind.status"
  if [ "$kind" = native ]; then
    native_seconds=$(echo "$native_seconds + $end - $start" | bc)
  else
    emulated_seconds=$(echo "$emulated_seconds + $end - $start" | bc)
  fi
}

same() {
  local name=$1
  if ! cmp -s "$scratch/native.out" "$scratch/emulated.out" ||
     ! cmp -s "$scratch/native.status" "$scratch/emulated.status"; then
    echo "FAIL: $name differs under emulation:"
    diff "$scratch/native.out" "$scratch/emulated.out" | cut -c1-300 | head -20 || true
    echo "status: native $(cat "$scratch/native.status"), emulated $(cat "$scratch/emulated.status")"
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
  timed emulated "$sim" run "$script" --library "$dylib"
  cd - >/dev/null
  same "$script"
done
scenario_native=$native_seconds
scenario_emulated=$emulated_seconds

timed native "$sim" preview -o "$scratch/native.png"
timed emulated "$sim" preview -o "$scratch/emulated.png" --library "$dylib"
sed -i "s|$scratch/native.png|PICTURE|" "$scratch/native.out"
sed -i "s|$scratch/emulated.png|PICTURE|" "$scratch/emulated.out"
same "the preview's report"
cmp -s "$scratch/native.png" "$scratch/emulated.png" || {
  echo "FAIL: the preview's picture differs under emulation"
  failures=$((failures + 1))
}

printf 'scenarios: native %.2f s, emulated %.2f s; preview: native %.2f s, emulated %.2f s\n' \
  "$scenario_native" "$scenario_emulated" \
  "$(echo "$native_seconds - $scenario_native" | bc)" "$(echo "$emulated_seconds - $scenario_emulated" | bc)"
[ "$failures" -eq 0 ] || { echo "$failures difference(s) under emulation"; exit 1; }
echo "every scenario and the preview are identical under emulation"
