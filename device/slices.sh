# Shared by scripts/build-device (the library) and scripts/build-device-pane
# (the settings pane's bundle): one Mach-O built as the phone's two slices
# and joined into a fat file. Source after device/toolchain.sh.
# shellcheck shell=bash
#
# build_slices WORK OUTPUT SOURCES FLAGS LINK LIBS
#   SOURCES, FLAGS, LINK and LIBS name arrays of the caller: the sources, the
#   compiler flags both slices share, the linker's flags (-dylib or -bundle
#   and the rest) and the link stubs. Writes
#     OUTPUT-arm64[.EXT]   (A9-A11): clang-14 for arm64-apple-ios13.0,
#                          ld64.lld-14; objects in WORK/obj;
#     OUTPUT-arm64e[.EXT]  (A12 and later): clang-19 for arm64e-apple-ios13.0
#                          with pointer authentication, to assembly; each
#                          signed-pointer request carried past the assembler
#                          (build/arm64e-fixup prepare-assembly), linked by
#                          ld64.lld-19 as arm64 (WORK/arm64e/linked[.EXT]), then
#                          rewritten into what dyld on iOS 13 and 14 accepts
#                          (build/arm64e-fixup rewrite, its summary in
#                          WORK/arm64e/rewrite.txt);
#     OUTPUT               the fat file of both.
#   Fails if the linked file holds a different number of requests than the
#   assembly asked for, or if a block literal's invoke is not signed for the
#   host as often as the code makes one (platform::host_block).

# The post-link step, a host program of the project's own, built once.
arm64e_fixup() {
  if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build build --target arm64e-fixup -j"$(nproc)" >/dev/null
  echo build/arm64e-fixup
}

build_slices() {
  local work=$1 output=$2
  local -n sources_=$3 flags_=$4 link_=$5 libs_=$6
  local name=${output##*/} stem=$output ext=""
  if [[ $name == *.* ]]; then
    stem=${output%.*}
    ext=.${output##*.}
  fi
  local jobs=$(($(nproc) * 2)) fixup src
  fixup=$(arm64e_fixup)

  # --- arm64 -----------------------------------------------------------------
  # Every source is compiled afresh (a second or two), two at a time per core.
  rm -rf "$work/obj"
  mkdir -p "$work/obj"
  printf '%s\n' "${sources_[@]}" |
    xargs -P "$jobs" -I{} sh -c \
      'src="$1"; shift; exec "$@" -c "$src" -o "'"$work"'/obj/$(echo "$src" | tr / _).o"' \
      _ {} "$DEVICE_CXX" --target=arm64-apple-ios13.0 "${flags_[@]}"
  local objects=()
  for src in "${sources_[@]}"; do objects+=("$work/obj/${src//\//_}.o"); done
  "$DEVICE_LD" -arch arm64 "${link_[@]}" -o "$stem-arm64$ext.tmp" "${objects[@]}" "${libs_[@]}"
  mv -f "$stem-arm64$ext.tmp" "$stem-arm64$ext"

  # --- arm64e ----------------------------------------------------------------
  local e=$work/arm64e
  rm -rf "$e"
  mkdir -p "$e/obj"
  printf '%s\n' "${sources_[@]}" |
    xargs -P "$jobs" -I{} sh -c \
      'set -e; src="$1"; fixup="$2"; shift 2; base="'"$e"'/obj/$(echo "$src" | tr / _)"
       "$@" -S "$src" -o "$base.s"
       "$fixup" prepare-assembly "$base.s" "$base.carried.s" > "$base.requests"
       "$@" -c "$base.carried.s" -o "$base.o"' \
      _ {} "$fixup" "$ARM64E_CXX" --target=arm64e-apple-ios13.0 -fptrauth-calls -fptrauth-returns \
      -fptrauth-intrinsics "${flags_[@]}"
  local requests=0 n
  for src in "${sources_[@]}"; do
    n=$(cat "$e/obj/${src//\//_}.requests")
    requests=$((requests + n))
  done
  # Every request the compiler wrote must have been carried.
  local written
  written=$(cat "$e"/obj/*.s | grep -c '@AUTH' || true)
  [ "$written" = "$requests" ] || {
    echo "$(basename "$0"): the compiler asked for $written signed pointers, $requests were carried" >&2
    return 1
  }
  local e_objects=()
  for src in "${sources_[@]}"; do e_objects+=("$e/obj/${src//\//_}.o"); done
  "$ARM64E_LD" -arch arm64 "${link_[@]}" -o "$e/linked$ext" "${e_objects[@]}" "${libs_[@]}"
  "$fixup" rewrite "$e/linked$ext" "$stem-arm64e$ext" --requests "$requests" >"$e/rewrite.txt"
  chmod 0755 "$stem-arm64e$ext"
  # Every stack block the code makes has its invoke signed before the host
  # sees it (platform::host_block): as many signings as block literals.
  local literals signings
  literals=$(cat "$e"/obj/*.carried.s | grep -c '^\s*add\s.*_block_invoke@PAGEOFF' || true)
  signings=$(sed -nE 's/.*; ([0-9]+) block signings$/\1/p' "$e/rewrite.txt")
  [ "$literals" = "$signings" ] || {
    echo "$(basename "$0"): $literals block literals, $signings of them signed for the host" >&2
    return 1
  }

  # --- the fat file ----------------------------------------------------------
  "$DEVICE_LIPO" -create "$stem-arm64$ext" "$stem-arm64e$ext" -output "$output.tmp"
  mv -f "$output.tmp" "$output"
}
