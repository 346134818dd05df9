#!/usr/bin/env bash
# The export mode from the command line, as a user meets it: help, version, files read back by
# independent readers (sox's soxi, Python's wave module, ImageMagick's identify), and bad input
# answered by one line and an exit code with nothing half-written and no existing file harmed.
# Usage: export_cli_test.sh PROGRAM [ARGUMENT...]: the program, or a runner and the program.
set -uo pipefail

program=("$@")
windows=0
case "${program[-1]}" in *.exe) windows=1 ;; esac

work=$(mktemp -d "${TMPDIR:-/tmp}/tablescope-export-cli.XXXXXX")
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# Runs the program; its exit code in $code, its streams in $out and $err.
run() {
  "${program[@]}" "$@" >"$work/stdout" 2>"$work/stderr"
  code=$?
  read_streams
}

# Windows ends its lines with a carriage return too.
read_streams() {
  out=$(tr -d '\r' <"$work/stdout")
  err=$(tr -d '\r' <"$work/stderr")
}

expect_code() {
  [ "$code" -eq "$1" ] || fail "$2: exit code $code, not $1 (stderr: $err)"
}

expect_one_line_error() {
  local what=$1 pattern=$2
  [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || fail "$what: not one line on stderr: $err"
  [[ "$err" =~ ^tablescope:\ .*$pattern ]] || fail "$what: stderr '$err' does not match '$pattern'"
  [ -z "$out" ] || fail "$what: wrote to stdout: $out"
}

files_in() { find "$1" -mindepth 1 | sort; }

# Help and version.
run --help
expect_code 0 "--help"
for word in "export waves DIR" "--bits 8|16|float" "export bank FILE" "--frame 128|2048" \
            "--upsample repeat|linear|spectral" "export tables DIR" "--container wav|wt" \
            "export banks256 DIR" "export page N FILE.png" "--force" "--version" \
            "a 'srge' chunk marking one 128-sample cycle" "Vital reads no frame size" \
            "cuts every WAV into 2048-sample frames" "scaled down to peak at it"; do
  [[ "$out" == *"$word"* ]] || fail "--help does not name '$word'"
done
run --version
expect_code 0 "--version"
[[ "$out" =~ ^tablescope\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$out'"

# Files read back by other programs, into a folder whose name has a blank and a non-ASCII letter.
out_dir="$work/out dir é"
mkdir "$out_dir"
soxi_fields() { echo "$(soxi -c "$1"),$(soxi -r "$1"),$(soxi -b "$1"),$(soxi -e "$1")"; }
soxi_samples() { soxi -s "$1"; }
check_soxi() {
  local file=$1 fields=$2 samples=$3
  [ -f "$file" ] || { fail "$file was not written"; return; }
  [ "$(soxi_fields "$file")" = "$fields" ] || fail "soxi $file: $(soxi_fields "$file"), not $fields"
  [ "$(soxi_samples "$file")" = "$samples" ] || fail "soxi $file: $(soxi_samples "$file") samples, not $samples"
}
check_python_wave() {
  local file=$1 expected=$2
  local got
  got=$(python3 -c 'import sys, wave
w = wave.open(sys.argv[1], "rb")
print(w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes(), w.getcomptype())' "$file" 2>&1)
  [ "$got" = "$expected" ] || fail "Python's wave module read $file as '$got', not '$expected'"
}

for bits in 8 16 float; do
  mkdir "$out_dir/$bits"
  run export waves "$out_dir/$bits" --bits "$bits"
  expect_code 0 "export waves --bits $bits"
  [ "$(find "$out_dir/$bits" -name 'wave-*.wav' | wc -l)" -eq 244 ] || fail "export waves --bits $bits: not 244 files"
done
check_soxi "$out_dir/8/wave-000.wav" "1,44100,8,Unsigned Integer PCM" 128
check_soxi "$out_dir/16/wave-243.wav" "1,44100,16,Signed Integer PCM" 128
check_soxi "$out_dir/float/wave-101.wav" "1,44100,32,Floating Point PCM" 128
check_python_wave "$out_dir/8/wave-000.wav" "1 1 44100 128 NONE"
check_python_wave "$out_dir/16/wave-243.wav" "1 2 44100 128 NONE"

run export bank "$out_dir/bank.wav" --upsample spectral
expect_code 0 "export bank .wav"
expect_one_line_error "export bank --upsample spectral" "scaled $out_dir/bank.wav by 0\.[0-9]+: "
check_soxi "$out_dir/bank.wav" "1,44100,32,Floating Point PCM" $((244 * 2048))
run export bank "$out_dir/bank 128.wav" --frame 128
check_soxi "$out_dir/bank 128.wav" "1,44100,32,Floating Point PCM" $((244 * 128))

mkdir "$out_dir/tables"
run export tables "$out_dir/tables" --upsample linear
expect_code 0 "export tables"
expect_one_line_error "export tables" "skipped table 13: .*wave 244"
[ "$(find "$out_dir/tables" -name 'table-*.wav' | wc -l)" -eq 28 ] || fail "export tables: not 28 files"
check_soxi "$out_dir/tables/table-00.wav" "1,44100,32,Floating Point PCM" $((61 * 2048))

mkdir "$out_dir/banks"
run export banks256 "$out_dir/banks"
expect_code 0 "export banks256"
for number in 1 2 3 4; do
  check_soxi "$out_dir/banks/bank-$number.wav" "1,44100,16,Signed Integer PCM" 16384
  check_python_wave "$out_dir/banks/bank-$number.wav" "1 2 44100 16384 NONE"
done

run export page 30 "$out_dir/page 30.png"
expect_code 0 "export page"
[ "$(identify -format '%m %w %h %z' "$out_dir/page 30.png" 2>&1)" = "PNG 1024 300 8" ] ||
  fail "identify page 30.png: $(identify -format '%m %w %h %z' "$out_dir/page 30.png" 2>&1)"

# Bad command lines: exit code 2, one line with a hint to --help, nothing written.
mkdir "$work/empty"
while IFS='|' read -r arguments pattern; do
  eval "set -- $arguments"
  run "$@"
  expect_code 2 "$arguments"
  expect_one_line_error "$arguments" "$pattern.*\(see tablescope --help\)$"
done <<'CASES'
frobnicate|unknown command 'frobnicate'
export|export needs a mode
export sounds "$work/empty"|unknown export mode 'sounds'
export bank "$work/empty/b.wav" --frame 1000|--frame takes 128\|2048, not '1000'
export bank "$work/empty/b.flac"|bank writes a .wav or a .wt file
export tables "$work/empty" --upsample cubic|--upsample takes repeat\|linear\|spectral
export waves "$work/empty" --bits 24|--bits takes 8\|16\|float
export waves "$work/empty" --frame 2048|export waves takes no option --frame
export waves "$work/empty" --colour red|takes no option --colour
export waves|takes one folder
export page 31 "$work/empty/p.png"|page takes a page number from 0 to 30, not '31'
export page x "$work/empty/p.png"|not 'x'
export bank "$work/empty/b.wav" --upsample|--upsample needs a value
export bank "$work/empty/b.wav" --force=yes|--force takes no value
CASES
[ -z "$(files_in "$work/empty")" ] || fail "a refused command line wrote $(files_in "$work/empty")"

# An existing file is refused before anything is written, and left as it was; --force replaces.
mkdir "$work/existing"
echo keep >"$work/existing/wave-005.wav"
run export waves "$work/existing"
expect_code 1 "export waves over an existing file"
expect_one_line_error "export waves over an existing file" "wave-005.wav exists; add --force to replace it"
[ "$(files_in "$work/existing")" = "$work/existing/wave-005.wav" ] || fail "refused export wrote files"
[ "$(cat "$work/existing/wave-005.wav")" = keep ] || fail "refused export harmed the existing file"
run export waves "$work/existing" --force
expect_code 0 "export waves --force"
[ "$(find "$work/existing" -type f | wc -l)" -eq 244 ] || fail "export waves --force: not 244 files"
[ "$(head -c 4 "$work/existing/wave-005.wav")" = RIFF ] || fail "--force did not replace wave-005.wav"

# A folder that does not exist: the path that failed is named.
run export banks256 "$work/missing"
expect_code 1 "a missing folder"
expect_one_line_error "a missing folder" "cannot write $work/missing.bank-1.wav: "

if [ "$windows" -eq 0 ]; then
  # An unwritable folder (as an unprivileged user when run by root, who may write anywhere).
  mkdir "$work/locked"
  chmod 555 "$work/locked"
  as_user=()
  [ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  "${as_user[@]}" "${program[@]}" export tables "$work/locked" >"$work/stdout" 2>"$work/stderr"
  code=$?
  read_streams
  err=$(grep -v 'skipped table' <<<"$err")
  expect_code 1 "an unwritable folder"
  expect_one_line_error "an unwritable folder" "cannot write $work/locked/table-00.wav: Permission denied"
  [ -z "$(files_in "$work/locked")" ] || fail "an unwritable folder got $(files_in "$work/locked")"

  # A full disk, as a file-size limit of 100 KiB: the 2 MB bank fails, nothing is left of it,
  # and the file that was there keeps its bytes.
  mkdir "$work/full"
  echo keep >"$work/full/bank.wav"
  code=0
  (ulimit -f 100; exec "${program[@]}" export bank "$work/full/bank.wav" --force) >"$work/stdout" 2>"$work/stderr" || code=$?
  read_streams
  expect_code 1 "a full disk"
  expect_one_line_error "a full disk" "cannot write $work/full/bank.wav: File too large"
  [ "$(files_in "$work/full")" = "$work/full/bank.wav" ] || fail "a full disk left $(files_in "$work/full")"
  [ "$(cat "$work/full/bank.wav")" = keep ] || fail "a failed export harmed the existing file"
fi

[ "$failures" -eq 0 ] && echo "all export command-line checks passed"
exit $((failures > 0))
