#!/usr/bin/env bash
# Prints the share of lines of each src/ folder that the kept fuzz corpora
# reach, from coverage builds of the fuzz targets, and the total; a file in a
# subfolder (app/job) counts in its top folder.
# usage: fuzz_coverage.sh BUILD_DIR CHECKSUM_INPUT_DIR EDITABLE_JOB_INPUT_DIR PACK_INPUT_DIR
#        CPU_INPUT_DIR JOB_INPUT_DIR...
set -euo pipefail
build=$1
checksum_inputs=$2
editable_inputs=$3
pack_inputs=$4
cpu_inputs=$5
shift 5
rm -f "$build"/*.profraw
LLVM_PROFILE_FILE="$build/corpus-%p.profraw" "$build/fuzz_transfer_job" -runs=0 \
  -max_len=512 -len_control=0 -timeout=10 -rss_limit_mb=2048 "$@" >"$build/run.log" 2>&1
LLVM_PROFILE_FILE="$build/checksum-%p.profraw" "$build/fuzz_checksum" -runs=0 -max_len=64 \
  "$checksum_inputs" >"$build/checksum-run.log" 2>&1
LLVM_PROFILE_FILE="$build/editable-%p.profraw" "$build/fuzz_editable_job" -runs=0 \
  -max_len=512 -len_control=0 -timeout=10 -rss_limit_mb=2048 "$editable_inputs" \
  >"$build/editable-run.log" 2>&1
LLVM_PROFILE_FILE="$build/pack-%p.profraw" "$build/fuzz_pack" -runs=0 -max_len=4096 \
  -timeout=10 -rss_limit_mb=2048 "$pack_inputs" >"$build/pack-run.log" 2>&1
LLVM_PROFILE_FILE="$build/cpu-%p.profraw" "$build/fuzz_cpu" -runs=0 -max_len=4096 \
  -timeout=10 -rss_limit_mb=2048 "$cpu_inputs" >"$build/cpu-run.log" 2>&1
llvm-profdata merge -sparse "$build"/*.profraw -o "$build/corpus.profdata"
llvm-cov report "$build/fuzz_transfer_job" -object "$build/fuzz_checksum" \
  -object "$build/fuzz_editable_job" -object "$build/fuzz_pack" -object "$build/fuzz_cpu" \
  -instr-profile="$build/corpus.profdata" "$(pwd)/src" >"$build/report.txt"
# The file I/O of rom_file.cpp is not reached by the in-memory job: counted
# apart on the src/rom line.
awk '
  $1 ~ /^[a-z_]+(\/[a-z_]+)*\/[a-z_]+\.(cpp|h)$/ && NF >= 10 {
    file = $1
    folder = "src/" substr(file, 1, index(file, "/") - 1)
    if (file == "rom/rom_file.cpp") { next }
    lines[folder] += $8; missed[folder] += $9; total += $8; totalMissed += $9
  }
  END {
    for (folder in lines) {
      note = folder == "src/rom" ? "  (without rom_file.cpp, the file I/O)" : ""
      printf "%-12s %5.1f%% of %5d lines%s\n", folder, 100 * (lines[folder] - missed[folder]) / lines[folder], lines[folder], note | "sort"
    }
    close("sort")
    printf "lines covered: %.1f%%\n", 100 * (total - totalMissed) / total
  }' "$build/report.txt"
