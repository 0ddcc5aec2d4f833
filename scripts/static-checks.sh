#!/usr/bin/env bash
# Static checks of the console's own code (src/): clazy's levels 0 to 2 and clang-tidy's
# bugprone-* and performance-* checks (.clang-tidy), with no finding allowed. A finding is
# mended, or suppressed at its line with the reason beside it ("// clazy:exclude=<check>",
# "// NOLINTNEXTLINE(<check>)"). Both read the compile commands of the plain build (build/,
# as scripts/test.sh leaves it), parse each source once per tool, and make no objects.
#   scripts/static-checks.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$root/build}"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# The moc output the sources include; nothing when the build is up to date.
cmake --build "$build" -j"$(nproc)" --target pav-control >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root"
start=$(date +%s)
# One job per source: clazy, then clang-tidy; findings from a header shared by several
# sources are counted once.
ls src/*/*.cpp | xargs -P"$(nproc)" -I{} sh -c '
  out="$1/$(echo "$2" | tr / _)"
  clazy-standalone -p "$3" -checks=level0,level1,level2 -header-filter="/src/" "$2" >"$out.clazy" 2>&1 || echo "$2: clazy failed" >>"$out.clazy"
  clang-tidy -p "$3" --quiet "$2" >"$out.tidy" 2>&1 || echo "$2: clang-tidy failed" >>"$out.tidy"
' sh "$work" {} "$build"
cat "$work"/*.clazy "$work"/*.tidy | grep -E ': (warning|error): |failed$' | sed "s|^$root/||" | sort -u >"$work/findings" || true
count=$(wc -l <"$work/findings")
echo "== static checks of src/: $(ls src/*/*.cpp | wc -l) sources in $(($(date +%s) - start)) s, $count findings"
if [ "$count" -ne 0 ]; then
  cat "$work/findings"
  exit 1
fi
