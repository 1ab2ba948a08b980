#!/usr/bin/env bash
# show_sync_test.sh DEMO DATA SYNCPROBE LIMIT_MS [SHOW FLAGS...] -- plays the live show to a
# private sound server (a null sink, which plays in real time on the system clock) under a
# private X server, records the sink's monitor, and checks every scene switch against the start
# of its section in the recording. Exit 77 (skipped) where either server cannot start, or
# where the machine does not keep the show's pace.
set -u
demo=$1 data=$2 probe=$3 limit=$4
shift 4
work="$(mktemp -d)"
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; wait "${pids[i]}" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
skip() { echo "SKIPPED: $*"; exit 77; }

for tool in pulseaudio parec pactl Xvfb; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

# The sound server: its own runtime folder, no configuration but ours, running as root too.
export XDG_RUNTIME_DIR="$work/run" HOME="$work" PULSE_SERVER="unix:$work/run/native"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
cat >"$work/server.pa" <<PA
load-module module-null-sink sink_name=show rate=44100 channels=1 format=s16le
load-module module-native-protocol-unix auth-anonymous=1 socket=$work/run/native
set-default-sink show
PA
pulseaudio -n -F "$work/server.pa" --daemonize=no --exit-idle-time=-1 --disallow-exit \
    --log-target=file:"$work/pulseaudio.log" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || skip "PulseAudio does not start: $(tail -n 3 "$work/pulseaudio.log" 2>/dev/null)"

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || skip "Xvfb does not start: $(tail -n 3 "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"

parec -d show.monitor --raw --format=s16le --channels=1 --rate=44100 --latency-msec=5 |
    "$probe" record "$work/sound" &
recorder=$!
sleep 0.5

# The show, until it has said how its frames ran (at its end), then ended as a user would.
SDL_AUDIODRIVER=pulseaudio "$demo" --data "$data" "$@" 2>"$work/show.log" &
show=$!
pids+=($show)
for _ in $(seq 2400); do
    grep -q '^scene 10: ' "$work/show.log" && break
    kill -0 "$show" 2>/dev/null || break
    sleep 0.1
done
kill -TERM "$show" 2>/dev/null
wait "$show"
status=$?
sleep 0.3
kill "$(pgrep -x -P "$$" parec)" 2>/dev/null  # the recorder takes the end of its input
wait "$recorder"
cat "$work/show.log"
[ "$status" -eq 0 ] || { echo "the show exited with $status"; exit 1; }
"$probe" check "$work/sound" "$work/show.log" "$limit"
verdict=$?
# No frame is begun sooner than a refresh after the one before: the light scenes too keep to it.
fast="$(awk '/^scene [0-9]+: .*frame time median/ && $8 < 0.9 * $(NF - 1) { print $1 " " $2 " median frame time " $8 " ms"; exit }' "$work/show.log")"
[ -z "$fast" ] || { echo "frames drawn faster than the screen refreshes (${fast})"; exit 1; }
# Sync is only the show's to keep where the machine keeps the show's pace: a scene whose usual
# frame takes over two refreshes starves the sound's thread and the sound server too, and the
# server's buffer then grows where no program can see it. The figures stand; the verdict does not.
slow="$(awk '/^scene [0-9]+: .*frame time median/ && $8 > 33.4 { print $1 " " $2 " median frame time " $8 " ms"; exit }' "$work/show.log")"
[ -z "$slow" ] || skip "this machine does not keep the show's pace (${slow}); the figures above are no verdict"
exit "$verdict"
