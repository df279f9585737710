# Shared by the device scripts: the tools of the device build, and a check
# that names a missing one and the Debian package that brings it.
# shellcheck shell=bash

DEVICE_CXX=clang++-14
DEVICE_LD=ld64.lld-14
DEVICE_OBJDUMP=llvm-objdump-14
DEVICE_NM=llvm-nm-14
# The arm64e slice (A12 and later) and the fat file.
ARM64E_CXX=clang++-19
ARM64E_LD=ld64.lld-19
ARM64E_OBJDUMP=llvm-objdump-19
DEVICE_LIPO=llvm-lipo-19
DEVICE_INSTALL_NAME=/Library/MobileSubstrate/DynamicLibraries/Corvane13.dylib
DEVICE_PACKAGE_ID=com.tallowbirch.corvane13

# require_tool COMMAND DEBIAN-PACKAGE: exits 2 with advice when missing.
require_tool() {
  if ! command -v "$1" >/dev/null 2>&1; then
    echo "$(basename "$0"): $1 is missing: run ./scripts/setup, or install the Debian package $2 (apt-get install $2)" >&2
    exit 2
  fi
}

project_version() { head -n 1 VERSION; }
