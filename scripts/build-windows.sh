#!/usr/bin/env bash
# Cross-builds the module as the host loads it, a 32-bit Windows DLL
# (build-win32/boneplay.dll, MinGW-w64, runtime linked in), checks that it
# exports exactly _mod_descrip and imports only Windows system DLLs, and runs
# the libraries' and the loaded-module tests as Windows programs under Wine.
#
# Wine runs 32-bit programs only where the machine executes 32-bit x86 code
# and 32-bit Wine can be installed. Where not (64-bit-only kernels and
# virtual machines, an i386 package index out of step), the 32-bit build
# stops at the DLL and the same sources and tests are built as 64-bit
# Windows programs (build-win64/) and run under 64-bit Wine.
#
# Usage: scripts/build-windows.sh   (JOBS overrides the build's parallel jobs)
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}

# The 32-bit route needs 32-bit Wine, which some machines cannot install even
# when they execute 32-bit code (an i386 package index out of step with the
# amd64 one); they take the 64-bit route, saying why.
route=64
if scripts/runs-i386.sh; then
  install_log=$(mktemp)
  if scripts/install-windows-deps.sh 32 2>"$install_log"; then
    route=32
  else
    echo "build-windows: 32-bit Wine cannot be installed here ($(grep -m1 'cannot install' "$install_log" ||
      tail -1 "$install_log")); the tests run from the 64-bit build" >&2
  fi
  rm -f "$install_log"
else
  echo "build-windows: this machine runs 64-bit code only; the tests run from the 64-bit build" >&2
fi
[ "$route" = 64 ] && scripts/install-windows-deps.sh 64

configure() {
  cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$2.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DBONEPLAY_WERROR=ON >/dev/null
}

# The DLL the host loads: one export, _mod_descrip, and no DLL to bring along.
check_dll() {
  local dll=$1 dump exports imports
  dump=$(objdump -p "$dll")
  exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' <<<"$dump")
  imports=$(awk '/DLL Name:/ {print $3}' <<<"$dump")
  if [ "$exports" != "_mod_descrip" ] || ! grep -q 'Export Address Table[[:space:]]*00000001' <<<"$dump"; then
    echo "build-windows: $dll must export exactly _mod_descrip; it exports: ${exports:-nothing}" >&2
    exit 1
  fi
  local other
  other=$(grep -viE '^(kernel32|user32|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$' <<<"$imports" || true)
  if [ -n "$other" ]; then
    echo "build-windows: $dll needs DLLs that are not part of Windows: $(echo $other)" >&2
    exit 1
  fi
  echo "build-windows: $dll exports _mod_descrip only; imports $(echo $imports)"
}

# The tests, then the build's Wine server and its system processes ended.
run_tests() {
  local status=0 loader
  ctest --test-dir "$1" --output-on-failure -j "$jobs" || status=$?
  loader=$(sed -n 's/^BONEPLAY_WINE_LOADER:[A-Z]*=//p' "$1/CMakeCache.txt")
  (cd "$1" && "$OLDPWD/scripts/wine-run.sh" "$loader" --stop)
  return $status
}

configure build-win32 i686
if [ "$route" = 32 ]; then
  cmake --build build-win32 -j "$jobs"
  check_dll build-win32/boneplay.dll
  run_tests build-win32
else
  cmake --build build-win32 -j "$jobs" --target boneplay
  check_dll build-win32/boneplay.dll
  configure build-win64 x86_64
  cmake --build build-win64 -j "$jobs"
  check_dll build-win64/boneplay.dll
  run_tests build-win64
fi
