#!/usr/bin/env bash
# Makes sure the Debian packages named on the command line are installed:
# installs them with apt-get when running as root, otherwise prints the one
# command that installs them and fails.
set -euo pipefail
missing=()
for package in "$@"; do
  case "$package" in
    cmake) command -v cmake >/dev/null 2>&1 || missing+=(cmake) ;;
    g++) command -v g++ >/dev/null 2>&1 || missing+=(g++) ;;
    clang) command -v clang++ >/dev/null 2>&1 || missing+=(clang) ;;
    python3) command -v python3 >/dev/null 2>&1 || missing+=(python3) ;;
    libgtest-dev) [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev) ;;
    libclang-rt-dev)
      ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 \
        || missing+=(libclang-rt-dev) ;;
    *) dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package") ;;
  esac
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then
  echo "Installing ${missing[*]} with apt-get"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "Missing packages: ${missing[*]}. Install them with:"
  echo "  sudo apt-get install -y ${missing[*]}"
  exit 1
fi
