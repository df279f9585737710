#!/usr/bin/env bash
# Shows that scripts/check-package catches the mistakes it exists for: each
# case builds a faulty variant of the library or of the package in a scratch
# folder, and the check must fail naming the fault. Needs the outputs of
# ./scripts/package.
set -euo pipefail
cd "$(dirname "$0")/../.."
source device/toolchain.sh
version=$(project_version)
good_dylib=build-device/Corvane13.dylib
good_deb=dist/${DEVICE_PACKAGE_ID}_${version}_iphoneos-arm.deb
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

good_arm64e=build-device/Corvane13-arm64e.dylib
# fat OUT ARM64 ARM64E: the two slices as one fat file.
fat() { "$DEVICE_LIPO" -create "$2" "$3" -output "$1"; }
# An arm64 slice linked from the real objects with the given linker arguments
# in place of the usual ones, beside the good arm64e slice.
link() {
  local out=$1
  shift
  "$DEVICE_LD" -arch arm64 -dylib -o "$out.arm64" build-device/obj/*.o "$@" 2>/dev/null
  fat "$out" "$out.arm64" "$good_arm64e"
}
# An arm64e slice rewritten from the linker's output with the given options
# of the post-link step, beside the good arm64 slice.
rewrite() {
  local out=$1
  shift
  build/arm64e-fixup rewrite build-device/arm64e/linked.dylib "$out.arm64e" "$@" >/dev/null
  fat "$out" build-device/Corvane13-arm64.dylib "$out.arm64e"
}
stubs=device/stubs
usual_libs=("$stubs/libobjc.A.tbd" "$stubs/libSystem.B.tbd" "$stubs/CoreFoundation.tbd"
            "$stubs/CoreGraphics.tbd" "$stubs/CydiaSubstrate.tbd")
usual=(-platform_version ios 13.0 14.0 -adhoc_codesign -install_name "$DEVICE_INSTALL_NAME")

# A package like the good one, with its tree changed by a command.
repack() {
  local out=$1 change=$2
  rm -rf "$scratch/tree"
  mkdir -p "$scratch/tree"
  dpkg-deb -R "$good_deb" "$scratch/tree"
  (cd "$scratch/tree" && eval "$change")
  dpkg-deb --root-owner-group -Zgzip --build "$scratch/tree" "$out" >/dev/null
}

# case NAME DYLIB DEB EXPECTED-MESSAGE
case_fails() {
  local name=$1 dylib=$2 deb=$3 message=$4 out status=0
  out=$(./scripts/check-package "$dylib" "$deb" 2>&1) || status=$?
  if [ "$status" -ne 1 ] || ! grep -qF -- "$message" <<<"$out"; then
    echo "FAIL: $name: status $status, output:"
    echo "$out"
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}

./scripts/check-package "$good_dylib" "$good_deb" >/dev/null || {
  echo "FAIL: the package as built does not pass"
  exit 1
}

link "$scratch/strong.dylib" "${usual[@]}" "${usual_libs[@]}" "$stubs/libsparkapplist.tbd"
case_fails "list library linked strongly" "$scratch/strong.dylib" "$good_deb" "weakly linked libraries"

link "$scratch/unsigned.dylib" -platform_version ios 13.0 14.0 -install_name "$DEVICE_INSTALL_NAME" \
  "${usual_libs[@]}" -weak_library "$stubs/libsparkapplist.tbd"
case_fails "no code signature" "$scratch/unsigned.dylib" "$good_deb" "no code signature"

link "$scratch/ios12.dylib" -platform_version ios 12.0 14.0 -adhoc_codesign \
  -install_name "$DEVICE_INSTALL_NAME" "${usual_libs[@]}" -weak_library "$stubs/libsparkapplist.tbd"
case_fails "minimum system 12.0" "$scratch/ios12.dylib" "$good_deb" "minimum iOS"

link "$scratch/named.dylib" -platform_version ios 13.0 14.0 -adhoc_codesign \
  -install_name /usr/lib/Corvane13.dylib "${usual_libs[@]}" -weak_library "$stubs/libsparkapplist.tbd"
case_fails "wrong install name" "$scratch/named.dylib" "$good_deb" "install name"

# A new platform call that nobody added to the allow-list.
printf 'extern "C" unsigned long strlen(const char*);\nextern "C" unsigned long corvane_probe(const char* s) { return strlen(s); }\n' \
  > "$scratch/probe.cpp"
"$DEVICE_CXX" --target=arm64-apple-ios13.0 -ffreestanding -nostdinc++ -c "$scratch/probe.cpp" -o "$scratch/probe.o"
sed "s/symbols: *\[ /symbols:         [ _strlen, /" "$stubs/libSystem.B.tbd" > "$scratch/libSystem.B.tbd"
link "$scratch/extra.dylib" "$scratch/probe.o" \
  "${usual[@]}" "$stubs/libobjc.A.tbd" "$scratch/libSystem.B.tbd" "$stubs/CoreFoundation.tbd" \
  "$stubs/CoreGraphics.tbd" "$stubs/CydiaSubstrate.tbd" -weak_library "$stubs/libsparkapplist.tbd"
case_fails "an import not on the allow-list" "$scratch/extra.dylib" "$good_deb" "< _strlen libSystem"

# The arm64e slice.
case_fails "no arm64e slice" build-device/Corvane13-arm64.dylib "$good_deb" "architectures of the fat file"
rewrite "$scratch/plain-init.dylib" --plain-initialisers
case_fails "an unsigned initialiser" "$scratch/plain-init.dylib" "$good_deb" "initialisers (signed IA"
rewrite "$scratch/ib.dylib" --request-key ib
case_fails "table slots signed with IB" "$scratch/ib.dylib" "$good_deb" "key other than IA"
cp "$good_arm64e" "$scratch/abi.arm64e"
printf '\x80' | dd of="$scratch/abi.arm64e" bs=1 seek=11 conv=notrunc 2>/dev/null
fat "$scratch/abi.dylib" build-device/Corvane13-arm64.dylib "$scratch/abi.arm64e"
case_fails "arm64e subtype with ABI bits (refused by iOS 13)" "$scratch/abi.dylib" "$good_deb" "arm64e: subtype word"
cp "$good_arm64e" "$scratch/hash.arm64e"
printf '\x01' | dd of="$scratch/hash.arm64e" bs=1 seek=20000 conv=notrunc 2>/dev/null
fat "$scratch/hash.dylib" build-device/Corvane13-arm64.dylib "$scratch/hash.arm64e"
case_fails "a page changed after signing" "$scratch/hash.dylib" "$good_deb" "arm64e: code signature"

repack "$scratch/mode.deb" "chmod 0644 Library/MobileSubstrate/DynamicLibraries/Corvane13.dylib"
case_fails "library not executable" "$good_dylib" "$scratch/mode.deb" "package contents"

repack "$scratch/extra-file.deb" "touch Library/MobileSubstrate/DynamicLibraries/README"
case_fails "a file too many" "$good_dylib" "$scratch/extra-file.deb" "package contents"

repack "$scratch/arch.deb" "sed -i 's/^Architecture: .*/Architecture: iphoneos-arm64/' DEBIAN/control"
case_fails "rootless architecture" "$good_dylib" "$scratch/arch.deb" "Architecture"

repack "$scratch/depends.deb" "sed -i 's/^Depends: .*/Depends: mobilesubstrate, firmware (>= 13.0)/' DEBIAN/control"
case_fails "no firmware dependency" "$good_dylib" "$scratch/depends.deb" "Depends"

# The settings pane: a page that lost a key, a default that disagrees with
# the library, and an executable that does not make the principal class.
pane=Library/PreferenceBundles/Corvane13Prefs.bundle
edit_page() {
  echo "python3 -c 'import plistlib, sys
p = \"$pane/Root.plist\"
page = plistlib.load(open(p, \"rb\"))
$1
plistlib.dump(page, open(p, \"wb\"))'"
}
repack "$scratch/lost-key.deb" "$(edit_page 'page["items"] = [i for i in page["items"] if i.get("key") != "hijackSnap"]')"
case_fails "a page without a key" "$good_dylib" "$scratch/lost-key.deb" "pane Root.plist keys"

repack "$scratch/default.deb" \
  "$(edit_page 'next(i for i in page["items"] if i.get("key") == "darkModeOffset")["default"] = 0.5')"
case_fails "a default the library does not have" "$good_dylib" "$scratch/default.deb" "pane Root.plist keys"

repack "$scratch/no-class.deb" \
  "sed -i 's/Corvane13RootListController/Corvane13RootListControllex/g' $pane/Corvane13Prefs"
case_fails "a bundle without its principal class" "$good_dylib" "$scratch/no-class.deb" \
  "makes no Corvane13RootListController"

repack "$scratch/no-pane.deb" "rm -r $pane"
case_fails "a package without the pane" "$good_dylib" "$scratch/no-pane.deb" "no pane executable"

cp "$good_dylib" "$scratch/other.dylib"
printf '\0' >> "$scratch/other.dylib"
case_fails "a package holding another build" "$scratch/other.dylib" "$good_deb" "the packaged library is not"

[ "$failures" -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
echo "check-package catches every fault tried"
