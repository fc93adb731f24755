#!/bin/sh
# A private sound server for the sound tests, all inside one folder: a session
# bus, PipeWire, its session manager, its PulseAudio server and a null sink
# "tavix_null" made the default.
#   sound-server.sh start DIR   start it; DIR/env holds the clients' settings
#                               and DIR/pids "name pid" for each process
#   sound-server.sh stop DIR    end every process it started, remove DIR
# Every wait polls for its state and gives up after 20 s.
set -u
D=$2

wait_for() {  # what, command...
  what=$1; shift
  i=0
  until "$@" >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -le 1000 ] || { echo "sound server: no $what after 20 s" >&2; return 1; }
    sleep 0.02
  done
}

spawn() {  # name, command...
  name=$1; shift
  setsid "$@" </dev/null >"$D/$name.log" 2>&1 &
  echo "$name $!" >>"$D/pids"
}

start() {
  mkdir -p "$D/run" "$D/config" "$D/state" "$D/data" "$D/cache" && chmod 700 "$D" "$D/run" || return 1
  cat >"$D/env" <<EOF
XDG_RUNTIME_DIR=$D/run
XDG_CONFIG_HOME=$D/config
XDG_STATE_HOME=$D/state
XDG_DATA_HOME=$D/data
XDG_CACHE_HOME=$D/cache
DBUS_SESSION_BUS_ADDRESS=unix:path=$D/run/bus
PULSE_SERVER=unix:$D/run/pulse/native
PULSE_RUNTIME_PATH=$D/run/pulse
PIPEWIRE_RUNTIME_DIR=$D/run
EOF
  set -a && . "$D/env" && set +a
  pid=$(dbus-daemon --session --address="$DBUS_SESSION_BUS_ADDRESS" --nopidfile --fork --print-pid) || return 1
  echo "dbus $pid" >>"$D/pids"
  spawn pipewire pipewire
  wait_for "PipeWire" pw-cli info 0 || return 1
  spawn wireplumber wireplumber
  wait_for "session manager" sh -c 'pw-cli ls Metadata | grep -q "\"default\""' || return 1
  spawn pipewire-pulse pipewire-pulse
  wait_for "PulseAudio server" pactl info || return 1
  pactl load-module module-null-sink sink_name=tavix_null >/dev/null || return 1
  wait_for "null sink" sh -c 'pactl set-default-sink tavix_null && [ "$(pactl get-default-sink)" = tavix_null ]' || return 1
  wait_for "sink monitor" sh -c 'pactl list short sources | grep -q tavix_null.monitor'
}

stop() {
  [ -f "$D/pids" ] && tac "$D/pids" | while read -r name pid; do
    kill -CONT "$pid" 2>/dev/null
    kill -TERM "$pid" 2>/dev/null
    i=0
    while kill -0 "$pid" 2>/dev/null && [ "$(ps -o stat= -p "$pid")" != Z ] && [ $i -lt 150 ]; do
      i=$((i + 1)); sleep 0.02
    done
    kill -KILL "$pid" 2>/dev/null
  done
  rm -rf "$D"
}

case $1 in
start) start || { cat "$D"/*.log >&2 2>/dev/null; stop; exit 1; } ;;
stop) stop ;;
esac
