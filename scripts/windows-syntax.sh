#!/usr/bin/env bash
# Windows syntax check: every .cpp of src/ is compiled for Windows by Debian's MinGW-w64
# (x86_64-w64-mingw32-g++-posix -fsyntax-only) against Debian's Qt 6 headers, so Q_OS_WIN
# is in effect and a POSIX-only call shows up on Linux. It is a syntax check, not a Windows
# build: nothing is linked, moc's output is not checked, and Qt's Linux configuration headers
# stand in for a Windows Qt's. A file that fails is named with its first error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cxx=x86_64-w64-mingw32-g++-posix
qt=/usr/include/x86_64-linux-gnu/qt6

"$root/scripts/setup.sh"
command -v "$cxx" >/dev/null || { echo "Windows syntax check: $cxx is missing"; exit 1; }

cd "$root"
# Every folder of src/ is on the include path, as the CMake targets chain them.
# The compile definitions the CMake targets add (the version the commands print). The flags
# go through a response file, where quotes are taken as the shell takes them: hence \".
version=$(sed -n 's/^project(.* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
flags=(-std=gnu++17 -fsyntax-only -DUNICODE -D_UNICODE "-DPAV_VERSION=\\\"$version\\\"" -I"$qt")
for module in QtCore QtGui QtWidgets QtNetwork QtSerialPort; do
  flags+=(-I"$qt/$module")
done
for dir in src/*/; do
  flags+=(-I"${dir%/}")
done

mapfile -t files < <(find src -name '*.cpp' | sort)
echo "== Windows syntax check (MinGW-w64 -fsyntax-only, not a Windows build): ${#files[@]} files of src/"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# MinGW-w64 brings a few POSIX headers that Microsoft's compiler does not have; a file that
# includes one outside a Q_OS_UNIX branch fails here as it would there.
for header in unistd.h dirent.h strings.h libgen.h sys/param.h sys/time.h; do
  mkdir -p "$work/posix/$(dirname "$header")"
  echo "#error \"$header is POSIX only: include it behind Q_OS_UNIX\"" >"$work/posix/$header"
done
flags+=(-I"$work/posix")
printf '%s\n' "${flags[@]}" >"$work/flags"
# The first error of a file; one raised by a header above is told at the line including it.
check() {
  local log="$work/${1//\//_}.log"
  if ! "$cxx" @"$work/flags" "$1" >"$log" 2>&1; then
    awk -v file="$1" -v posix="$work/posix/" '
      /^In file included from / { including = $5; sub(/[:,]$/, "", including) }
      / (fatal )?error: / {
        if (index($0, posix) == 1) { sub(/.*#error /, ""); $0 = including ": error: " $0 }
        print file ": " $0; found = 1; exit
      }
      END { if (!found) print file ": the compiler failed without an error line" }' "$log" >"$log.failed"
  fi
}
export -f check
export cxx work
printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -I{} bash -c 'check "$1"' _ {}

failed=("$work"/*.failed)
if [ -e "${failed[0]}" ]; then
  cat "${failed[@]}"
  echo "Windows syntax check: ${#failed[@]} of ${#files[@]} files do not compile for Windows"
  exit 1
fi
echo "Windows syntax check: all ${#files[@]} files compile for Windows (syntax only)"
