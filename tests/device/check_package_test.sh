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

# A library linked from the real objects with the given linker arguments in
# place of the usual ones.
link() {
  local out=$1
  shift
  "$DEVICE_LD" -arch arm64 -dylib -o "$out" build-device/obj/*.o "$@" 2>/dev/null
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
"$DEVICE_LD" -arch arm64 -dylib -o "$scratch/extra.dylib" build-device/obj/*.o "$scratch/probe.o" \
  "${usual[@]}" "$stubs/libobjc.A.tbd" "$scratch/libSystem.B.tbd" "$stubs/CoreFoundation.tbd" \
  "$stubs/CoreGraphics.tbd" "$stubs/CydiaSubstrate.tbd" -weak_library "$stubs/libsparkapplist.tbd"
case_fails "an import not on the allow-list" "$scratch/extra.dylib" "$good_deb" "< _strlen libSystem"

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
