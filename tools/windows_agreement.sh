#!/usr/bin/env bash
# Runs the Linux build and roomxfer.exe under Wine on the same inputs, in the
# same directory one after the other, and checks that both print the same
# bytes, exit with the same status and leave the same files with the same
# bytes. Usage: windows_agreement.sh LINUX_ROOMXFER ROOMXFER_EXE MAKE_SAMPLE_ROMS WORK_DIR
# The Wine prefix is $WINEPREFIX when set, else WORK_DIR/wineprefix; it is made
# when missing.
set -uo pipefail
linux=$(realpath "$1") exe=$(realpath "$2") make_samples=$(realpath "$3") work=$4
mkdir -p "$work"
work=$(realpath "$work")
export WINEPREFIX="${WINEPREFIX:-$work/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; exit 1; }
fi

inputs="$work/inputs"
rm -rf "$inputs" && mkdir -p "$inputs"
"$make_samples" "$inputs" >/dev/null
cp "$inputs/destination.smc" "$inputs/dé st.smc"
mkdir -p "$inputs/roms"
cp "$inputs/source.sfc" "$inputs/roms/a.sfc"

passed=0 failed=0
run_dir="$work/run"

# Runs one case with each build; $1 is its title, the rest the arguments.
# "@ABS@" in an argument stands for the run directory (Linux form for the
# Linux build, the Windows form of the same directory for roomxfer.exe).
check() {
  local title=$1 && shift
  local -a linux_args=() windows_args=()
  local windows_dir
  rm -rf "$run_dir" && cp -r "$inputs" "$run_dir"
  windows_dir=$(cd "$run_dir" && wine winepath -w "$run_dir" 2>/dev/null | tr -d '\r')
  for argument in "$@"; do
    linux_args+=("${argument//@ABS@/$run_dir/}")
    windows_args+=("${argument//@ABS@/$windows_dir\\}")
  done
  (cd "$run_dir" && "$linux" "${linux_args[@]}" >"$work/linux.out" </dev/null)
  local linux_status=$?
  rm -rf "$work/linux.files" && mv "$run_dir" "$work/linux.files"
  cp -r "$inputs" "$run_dir"
  (cd "$run_dir" && wine "$exe" "${windows_args[@]}" >"$work/windows.out" </dev/null)
  local windows_status=$?
  local problem=""
  [ "$linux_status" = "$windows_status" ] || problem="exit $linux_status vs $windows_status"
  if [[ "$*" != *@ABS@* ]] && ! cmp -s "$work/linux.out" "$work/windows.out"; then
    problem="$problem; output differs"
  fi
  diff -r "$work/linux.files" "$run_dir" >/dev/null || problem="$problem; files differ"
  if [ -z "$problem" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $title: $problem"
    diff "$work/linux.out" "$work/windows.out" | head -5
    diff -r "$work/linux.files" "$run_dir" | head -5
  fi
}

check "the demo's transfer" source.sfc destination.smc 1-40-2-41-3-300
check "a one-argument re-lay" source.sfc
check "a headered destination, every room, with --map --verify" --map --verify source.sfc destination.smc
check "a non-ASCII name with a space" source.sfc "dé st.smc" 5-6
check "a relative name in a folder" roms/a.sfc
check "absolute names, as drag-and-drop gives them" "@ABS@destination.smc"
check "--inspect" --inspect destination.smc --rooms 0..3:40
check "failure: a missing source" missing.sfc destination.smc
check "failure: an incorrect room list" source.sfc destination.smc 1-2-3
check "failure: the output's folder is missing" source.sfc nofolder/b.sfc 1-2
cp "$inputs/destination.smc" "$inputs/_destination.smc"
check "failure: the output would be an input" _destination.smc destination.smc
echo "Linux and Windows builds: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
