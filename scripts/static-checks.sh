#!/usr/bin/env bash
# Static checks of the console's own code (src/): clazy's levels 0 to 2 and clang-tidy's
# bugprone-* and performance-* checks (.clang-tidy), with no finding allowed. A finding is
# mended, or suppressed at its line with the reason beside it ("// clazy:exclude=<check>",
# "// NOLINTNEXTLINE(<check>)"). Both read the compile commands of a clang build (build-check/,
# as scripts/test.sh leaves it), parse each unit of src/ once per tool, and make no objects.
# Where that build joins a library's sources into one unit, the unit is checked; findings in
# the joining file itself (the build's own) are not the sources' and do not count.
#   scripts/static-checks.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${1:-$root/build-check}"

"$root/scripts/setup.sh"
if [ ! -f "$build/compile_commands.json" ]; then
  echo "No compile commands in $build: build it first (scripts/test.sh does)."
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root"
start=$(date +%s)
# The units of src/: its sources, or the build's files that join them; never moc's output.
python3 - "$build/compile_commands.json" "$root/src/" "$build/src/" >"$work/units" <<'PY'
import json, sys
units = sorted({e["file"] for e in json.load(open(sys.argv[1]))
                if e["file"].startswith((sys.argv[2], sys.argv[3])) and "_autogen" not in e["file"]})
print("\n".join(units))
PY
# One job per unit: clazy, then clang-tidy; findings from a header shared by several units
# are counted once.
xargs -P"$(nproc)" -I{} sh -c '
  out="$1/$(echo "$2" | tr / _)"
  clazy-standalone -p "$3" -checks=level0,level1,level2 -header-filter="/src/" "$2" >"$out.clazy" 2>&1 || echo "$2: clazy failed" >>"$out.clazy"
  clang-tidy -p "$3" --quiet "$2" >"$out.tidy" 2>&1 || echo "$2: clang-tidy failed" >>"$out.tidy"
' sh "$work" {} "$build" <"$work/units"
cat "$work"/*.clazy "$work"/*.tidy | grep -E ': (warning|error): |failed$' | grep -v "^$build/" |
  sed "s|^$root/||" | sort -u >"$work/findings" || true
count=$(wc -l <"$work/findings")
echo "== static checks of src/: $(wc -l <"$work/units") units in $(($(date +%s) - start)) s, $count findings"
if [ "$count" -ne 0 ]; then
  cat "$work/findings"
  exit 1
fi
