#!/bin/bash
# The sound card of the Windows tests: a private PulseAudio server, which Wine's audio driver
# reaches through PULSE_SERVER, with a 440 Hz tone as its default input and a null sink.
# Usage: sound-server.sh start|stop DIR
set -euo pipefail
dir=$2
export HOME=$dir XDG_RUNTIME_DIR=$dir/run XDG_CONFIG_HOME=$dir/config DBUS_SESSION_BUS_ADDRESS=disabled:
export PULSE_SERVER=unix:$dir/run/native
for pid in "$dir"/*.pid; do
  [ -e "$pid" ] || continue
  kill "$(cat "$pid")" 2>/dev/null || true
  rm -f "$pid"
done
[ "$1" = stop ] && exit 0
mkdir -p "$dir/run"
chmod 700 "$dir/run"
setsid pulseaudio --daemonize=no --system=false -n --exit-idle-time=-1 --use-pid-file=false \
  --log-target=stderr "--load=module-native-protocol-unix auth-anonymous=1 socket=$dir/run/native" \
  "--load=module-null-sink sink_name=hb_silent" >"$dir/log" 2>&1 </dev/null &
echo $! >"$dir/server.pid"
# The tone through a pipe, written at the pace of real time: the server's own sine source
# hands it over in blocks of seconds.
rm -f "$dir/tone.fifo"
mkfifo "$dir/tone.fifo"
for _ in $(seq 50); do
  if pactl load-module module-pipe-source source_name=hb_tone "file=$dir/tone.fifo" \
    format=s16le rate=8000 channels=1 >/dev/null 2>&1; then
    setsid /usr/bin/python3 -c '
import math, struct, sys, time
out = open(sys.argv[1], "wb", buffering=0)
start, written = time.monotonic(), 0
while True:
    due = int((time.monotonic() - start + 0.2) * 8000)
    block = b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * 440 * n / 8000)))
                     for n in range(written, due))
    out.write(block)
    written = due
    time.sleep(0.02)
' "$dir/tone.fifo" </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/tone.pid"
    pactl set-default-source hb_tone
    pactl set-default-sink hb_silent
    exit 0
  fi
  sleep 0.1
done
cat "$dir/log" >&2
exit 1
