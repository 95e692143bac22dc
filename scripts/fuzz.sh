#!/usr/bin/env bash
# Builds the libFuzzer target over the OBJ and MTL readers (clang, ASan + UBSan) into build-fuzz/
# and runs it for FUZZ_SECONDS seconds (default 60) from the seed corpus in fuzz/corpus/. New
# inputs collect in build-fuzz/corpus/; a finding is written to fuzz/findings/ and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
out=build-fuzz
mkdir -p "$out/corpus" fuzz/findings

sources=(fuzz/obj_reader_fuzzer.cpp tests/assets/reference_reader.cpp
         src/assets/obj_reader.cpp src/assets/mtl_reader.cpp src/assets/text_scan.cpp src/assets/asset_file.cpp)
if [ ! -x "$out/obj_reader_fuzzer" ] || [ -n "$(find "${sources[@]}" src/assets/*.h tests/assets/reference_reader.h -newer "$out/obj_reader_fuzzer")" ]; then
  clang++ -std=c++17 -O1 -g -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Wall -Wextra -Werror -Isrc -Itests/assets "${sources[@]}" -o "$out/obj_reader_fuzzer"
fi

"$out/obj_reader_fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
  -artifact_prefix=fuzz/findings/ -print_final_stats=1 "$out/corpus" fuzz/corpus
