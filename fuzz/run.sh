#!/usr/bin/env bash
# Builds the level-loader fuzzer with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz and runs it for the given number of seconds, 60 by default, on a copy of fuzz/corpus, so
# that the inputs it discovers never land in the repository. Exits non-zero on a finding: a crash, a
# sanitizer report, a hang, or an accepted level that breaks what the game relies on; the input that
# did it is kept in build-fuzz/trouvailles/.
set -euo pipefail
cd "$(dirname "$0")/.."

secondes=${1:-60}
case "$secondes" in
'' | *[!0-9]*)
    echo "usage: fuzz/run.sh [seconds]" >&2
    exit 2
    ;;
esac

bash scripts/dependances.sh ca-certificates clang libclang-rt-14-dev make cmake libsfml-dev xvfb xauth

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORPA_FUZZ=ON -DORPA_SANITIZE=ON -DORPA_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_niveau

travail=$(mktemp -d)
trap 'rm -rf "$travail"' EXIT
cp -r fuzz/corpus "$travail/corpus"
trouvailles=build-fuzz/trouvailles
mkdir -p "$trouvailles"
journal=build-fuzz/journal_fuzz.txt

# The walk through the movement rules needs a display for the hero's and the grid's textures.
lance() {
    if [ -n "${DISPLAY:-}" ]; then
        "$@"
    else
        xvfb-run -a -s "-screen 0 1024x768x24" "$@"
    fi
}

# Leak checking stays off, as in ./test: the GL driver's own allocations are not the game's.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
echo "== Fuzzing the level loader for ${secondes} s =="
statut=0
TMPDIR="$travail" lance ./build-fuzz/fuzz/fuzz_niveau -max_total_time="$secondes" -timeout=10 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$trouvailles/" "$travail/corpus" >"$journal" 2>&1 || statut=$?

if [ "$statut" -ne 0 ]; then
    tail -n 60 "$journal"
    echo "fuzz_niveau: finding (status $statut); input kept in $trouvailles/, full log in $journal" >&2
    exit "$statut"
fi
grep -E "^fuzz_niveau:|^Done [0-9]+ runs" "$journal" || true
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$journal")
echo "fuzz_niveau: ${executions:-?} executions in ${secondes} s, no finding"
