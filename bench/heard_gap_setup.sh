#!/usr/bin/env bash
# Sets up the sound servers bench_heard_gap records from and runs it on each: a private
# PulseAudio and a private PipeWire (with its PulseAudio service and a session manager),
# each with a null sink as its default output, in runtime folders of their own, so
# nothing of the machine's own sound is touched. Installs what it needs (Debian 12).
#
#   bench/heard_gap_setup.sh BUILD_DIR [--runs N]     (BUILD_DIR: a Release build with
#                                                     -DTUNECREST_BENCH=ON, e.g. build/bench)
#
# A PulseAudio null sink renders in ~2 s periods while no stream asks for less: the
# recording without a latency request is the case of a server slow to start a stream.
set -euo pipefail
build=${1:?usage: bench/heard_gap_setup.sh BUILD_DIR [--runs N]}
shift
bench="$build/bin/bench_heard_gap"
[ -x "$bench" ] || { echo "no $bench: build it with -DTUNECREST_BENCH=ON"; exit 2; }

need=()
for p in gstreamer1.0-plugins-base-apps pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

work=$(mktemp -d /tmp/heard-gap.XXXXXX)
pids=()
stop_all() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT

# A fresh runtime folder, and the variables every client of that server needs.
runtime() {
  local dir="$work/$1"
  mkdir -p "$dir" && chmod 700 "$dir"
  export XDG_RUNTIME_DIR="$dir" PIPEWIRE_RUNTIME_DIR="$dir" PULSE_RUNTIME_PATH="$dir/pulse"
  unset PULSE_SERVER DBUS_SESSION_BUS_ADDRESS
}

# Waits until the server answers, then makes a null sink "out" its default output.
null_sink() {
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl list short sinks 2>/dev/null | grep -q "^[0-9]*[[:space:]]out[[:space:]]" ||
    pactl load-module module-null-sink sink_name=out >/dev/null
  for _ in $(seq 50); do pactl set-default-sink out >/dev/null 2>&1 && break; sleep 0.1; done
  pactl info | grep -E "^(Server Name|Default Sink)"
}

echo "== PulseAudio"
runtime pulse
pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit -n \
  --load="module-null-sink sink_name=out" --load="module-native-protocol-unix" >"$work/pulse.log" 2>&1 &
pids+=($!)
null_sink
"$bench" "$@" || true
stop_all

echo "== PipeWire"
runtime pipewire
dbus-daemon --session --nofork --address="unix:path=$XDG_RUNTIME_DIR/bus" >"$work/dbus.log" 2>&1 &
pids+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/bus" ] && break; sleep 0.1; done
pipewire >"$work/pipewire.log" 2>&1 &
pids+=($!)
sleep 0.5
wireplumber >"$work/wireplumber.log" 2>&1 &
pids+=($!)
pipewire-pulse >"$work/pipewire-pulse.log" 2>&1 &
pids+=($!)
null_sink
"$bench" "$@" || true
stop_all
