#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, ASan + UBSan) in build-fuzz/ and runs each for
# FUZZ_SECONDS seconds (default 600), from the seeds fuzz/CMakeLists.txt names for it. New inputs
# collect in build-fuzz/corpus/<target>/; a finding is written to fuzz/findings/ and fails the
# run, after the other targets have had their turn.
#   scripts/fuzz.sh   (FUZZ_SECONDS=60 scripts/fuzz.sh for a short run; WERROR=ON, JOBS=2)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-600}
out=build-fuzz
for tool in clang clang++; do
  command -v "$tool" >/dev/null ||
    { echo "fuzz: $tool not found; scripts/install-deps.sh --test installs it" >&2; exit 1; }
done
cmake -S . -B "$out" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
  -DDEMO_FUZZ=ON -DBUILD_TESTING=OFF -DDEMO_WERROR="${WERROR:-OFF}" >/dev/null
cmake --build "$out" -j "${JOBS:-2}" --target fuzzers -- --no-print-directory
mkdir -p fuzz/findings

status=0
run() {
  local target=$1 seeds=$2 max_len=$3
  echo "== $target for ${seconds}s"
  mkdir -p "$out/corpus/$target"
  "$out/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -artifact_prefix="fuzz/findings/$target-" -print_final_stats=1 "$out/corpus/$target" "$seeds" ||
    status=1
}
mapfile -t fuzzers <"$out/fuzz/fuzzers.txt"
for line in "${fuzzers[@]}"; do
  read -r target seeds max_len <<<"$line"
  run "$target" "$seeds" "$max_len"
done
exit $status
