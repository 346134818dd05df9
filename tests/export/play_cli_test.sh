#!/usr/bin/env bash
# `tablescope play` as a user meets it, with ALSA's default device routed to its `file` plugin by a
# configuration in a private HOME: the samples that reach the device are compared with the wave's
# own (from `export waves --bits 16`) and a table's frames (from `export tables --container wt`);
# no device gives one line and exit 1; Ctrl+C, while a slow reader paces the sound, stops it at once.
# Under Wine, whose ALSA driver reaches the same device, the samples come through too (followed by
# the silence with which Wine fills its last period); Ctrl+C is a console event there, not checked.
# Usage: play_cli_test.sh PROGRAM [ARGUMENT...]: the program, or a runner and the program.
set -uo pipefail

program=("$@")
windows=0
case "${program[-1]}" in *.exe) windows=1 ;; esac
work=$(mktemp -d "${TMPDIR:-/tmp}/tablescope-play-cli.XXXXXX")
reader=
trap '[ -n "$reader" ] && kill "$reader" 2>/dev/null; rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/waves" "$work/tables"
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
device() { printf 'pcm.!default { %s }\n' "$1" >"$HOME/.asoundrc"; }

"${program[@]}" export waves "$work/waves" --bits 16 >/dev/null 2>&1 || fail "export waves"
"${program[@]}" export tables "$work/tables" --container wt >/dev/null 2>&1 || fail "export tables"

# ARGUMENTS | what the device must get: wave W or table T, at MIDI note M, for S seconds.
while IFS='|' read -r arguments source note seconds; do
  rm -f "$work/played.wav"
  device "type file slave { pcm \"null\" } file \"$work/played.wav\" format \"wav\""
  eval "set -- $arguments"
  "${program[@]}" play "$@" >"$work/stdout" 2>"$work/stderr"
  code=$?
  [ "$code" -eq 0 ] || fail "play $arguments: exit code $code ($(cat "$work/stderr"))"
  [ -s "$work/stdout" ] && fail "play $arguments wrote to stdout"
  result=$(python3 - "$work" "$source" "$note" "$seconds" "$windows" <<'PY'
import math, struct, sys, wave
work, source, note, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
padded = sys.argv[5] == "1"
frequency = 440 * 2 ** ((note - 69) / 12)
rate = math.floor(128 * frequency + 0.5)
with wave.open(f"{work}/played.wav") as played:
    got = (played.getnchannels(), played.getsampwidth(), played.getframerate())
    samples = struct.unpack(f"<{played.getnframes()}h", played.readframes(played.getnframes()))
if got != (1, 2, rate):
    sys.exit(f"channels, bytes and rate {got}, not {(1, 2, rate)}")
kind, number = source.split()
if kind == "wave":
    with wave.open(f"{work}/waves/wave-{int(number):03d}.wav") as stored:
        frames = [struct.unpack("<128h", stored.readframes(128))]
else:
    data = open(f"{work}/tables/table-{int(number):02d}.wt", "rb").read()
    values = struct.unpack(f"<{61 * 128}f", data[12:])
    frames = [[max(-32768, min(32767, math.floor(v * 32768 + 0.5))) for v in values[128 * f:128 * f + 128]]
              for f in range(61)]
cycles = max(len(frames), math.floor(seconds * frequency + 0.5))
if len(samples) != 128 * cycles and not (padded and len(samples) > 128 * cycles and not any(samples[128 * cycles:])):
    sys.exit(f"{len(samples)} samples, not {cycles} cycles of 128")
for cycle in range(cycles):
    expected = frames[cycle * len(frames) // cycles]
    for n in range(128):
        # a table's frames come through float files: their rounding may differ by one step
        if abs(samples[128 * cycle + n] - expected[n]) > (0 if kind == "wave" else 1):
            sys.exit(f"cycle {cycle} sample {n}: {samples[128 * cycle + n]}, not {expected[n]}")
print("ok")
PY
)
  [ "$result" = ok ] || fail "play $arguments: $result"
done <<'CASES'
wave 101|wave 101|57|2
wave 0 --note C#4 --seconds 0.25|wave 0|61|0.25
wave --note=A0 --seconds=1 243|wave 243|21|1
wave 64 --note C6 --seconds 0.1|wave 64|84|0.1
table 0 --seconds 1|table 0|57|1
table 27 --seconds 0.5|table 27|57|0.5
CASES

expect_one_line() {
  local what=$1 code=$2 pattern=$3
  tr -d '\r' <"$work/stderr" >"$work/stderr.lines" && mv "$work/stderr.lines" "$work/stderr"
  [ "$actual_code" -eq "$code" ] || fail "$what: exit code $actual_code, not $code"
  [ "$(wc -l <"$work/stderr")" -eq 1 ] || fail "$what: not one line on stderr: $(cat "$work/stderr")"
  grep -qE "^tablescope: $pattern" "$work/stderr" || fail "$what: stderr '$(cat "$work/stderr")' is not '$pattern'"
}

# No device.
device "type hw card 9"
"${program[@]}" play wave 5 >"$work/stdout" 2>"$work/stderr"
actual_code=$?
expect_one_line "no device" 1 "no audio device"

# Command lines that cannot be played: exit 2 (1 for the table the image cannot make), one line.
while IFS='|' read -r arguments code pattern; do
  eval "set -- $arguments"
  "${program[@]}" play "$@" >"$work/stdout" 2>"$work/stderr"
  actual_code=$?
  expect_one_line "play $arguments" "$code" "$pattern"
done <<'CASES'
|2|play takes wave N or table N
song 3|2|play takes wave N or table N
wave|2|play wave takes one number
wave 244|2|play wave takes a wave number from 0 to 243, not '244'
wave 1 2|2|play wave takes one number, and got more
wave 1 --note H2|2|--note takes a note from A0 to C6 such as A3 or C#4, not 'H2'
wave 1 --note C7|2|--note takes a note from A0 to C6
wave 1 --seconds 0|2|--seconds takes a time from 0.1 to 60 seconds, not '0'
wave 1 --seconds=61|2|--seconds takes a time from 0.1 to 60 seconds
wave 1 --seconds|2|--seconds needs a value
table 2 --note A3|2|play table takes no option --note
table 29|2|play table takes a table number from 0 to 28, not '29'
table 13|1|table 13 names wave 244, which the image does not hold
CASES

if [ "$windows" -eq 1 ]; then
  [ "$failures" -eq 0 ] && echo "all play command-line checks passed"
  exit $((failures > 0))
fi

# Ctrl+C: the device is a pipe that a reader empties at the sound's own pace; the program stops at
# once, with 130, and lets the device go, which the reader sees as the end of the pipe.
mkfifo "$work/pipe"
device "type file slave { pcm \"null\" } file \"$work/pipe\" format \"raw\""
python3 - "$work/pipe" >"$work/reader" <<'PY' &
import sys, time
pipe = open(sys.argv[1], "rb")
while pipe.read(1126):   # 20 ms of A3 at 28,160 samples a second
    time.sleep(0.02)
print("closed")
PY
reader=$!
"${program[@]}" play wave 3 --seconds 30 >"$work/stdout" 2>"$work/stderr" &
player=$!
sleep 1
started=$(date +%s%N)
kill -INT "$player"
wait "$player"
actual_code=$?
stopped_ms=$((($(date +%s%N) - started) / 1000000))
[ "$actual_code" -eq 130 ] || fail "Ctrl+C: exit code $actual_code, not 130 ($(cat "$work/stderr"))"
[ "$stopped_ms" -lt 500 ] || fail "Ctrl+C: the sound stopped after $stopped_ms ms"
[ -s "$work/stderr" ] && fail "Ctrl+C: wrote $(cat "$work/stderr")"
timeout 5 tail --pid="$reader" -f /dev/null || fail "Ctrl+C: the device was not let go"
[ "$(cat "$work/reader")" = closed ] || fail "Ctrl+C: the reader did not see the device closed"

[ "$failures" -eq 0 ] && echo "all play command-line checks passed"
exit $((failures > 0))
