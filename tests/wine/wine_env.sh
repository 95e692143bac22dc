# Sourced by the Windows suites' scripts. Each gets the build's emulator (scripts/wine-run.sh
# and its Wine prefix) as its first two arguments and runs programs as `wine_run PROGRAM.exe ...`.
# start_pulse starts a PulseAudio server of the script's own with one null sink, which plays
# nowhere; parec records what reaches it. Everything started here ends with the script.
set -u
wine_run=$1
wine_prefix=$2
shift 2
work=$(mktemp -d)
helpers=()
cleanup() {
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# In a session of its own, without a controlling terminal, as the Linux suites run the program:
# with one, the program would send its streams to the console instead of the files it is given.
wine_run() { setsid -w "$wine_run" "$wine_prefix" "$@" </dev/null; }

# Wine writes the C runtime's text mode: every line ends in CR LF.
unix_lines() { tr -d '\r' <"$1"; }

# The presentation's once-a-second report line, as an extended regular expression.
report=$(cat "$(dirname "${BASH_SOURCE[0]}")/../support/report_line.ere")

# start_pulse RECORDING: the server, a silent stream that keeps the sink running from the start
# (a sink that starts with the program drops its first second), and parec writing what the sink
# plays, 16-bit stereo at 44.1 kHz, into RECORDING.
start_pulse() {
  export XDG_RUNTIME_DIR=$work/pulse HOME=$work/home PULSE_SERVER=unix:$work/pulse/native
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes --log-target=stderr \
    --load="module-null-sink sink_name=demo_sink" \
    --load="module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
    2>"$work/pulse.log" &
  helpers+=($!)
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  # Both complain on stderr when the server ends before them, which it does at the end.
  pacat --raw --device=demo_sink </dev/zero 2>/dev/null &
  helpers+=($!)
  parec --raw --device=demo_sink.monitor --format=s16le --channels=2 --rate=44100 >"$1" \
    2>/dev/null &
  helpers+=($!)
}
