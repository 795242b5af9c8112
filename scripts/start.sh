#!/usr/bin/env bash
# Builds Telvane and starts it against a simulated DTU with an e-paper display
# (tools/dtusim on a pseudo-terminal), in the working directory build/run where
# it keeps Telvane.ini, data.bin and the shipped cmds.json.
#   scripts/start.sh               demo without hardware
#   scripts/start.sh --hardware    no simulator: pick your DTU's port in the program
#   scripts/start.sh --tcp         the simulator reached as a network port (raw TCP)
# Further arguments go to telvane (e.g. --port /dev/ttyUSB0).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
simulate=1
tcp=()
if [ "${1:-}" = "--hardware" ]; then
  simulate=0
  shift
elif [ "${1:-}" = "--tcp" ]; then
  tcp=(--tcp 0)
  shift
fi
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" telvane dtusim
run="$root/build/run"
mkdir -p "$run"
[ -f "$run/cmds.json" ] || cp "$root/commands/cmds.json" "$run/"
# A Telvane.ini in the working directory keeps every file of the demo there.
[ -f "$run/Telvane.ini" ] || : > "$run/Telvane.ini"
cd "$run"

args=("$@")
if [ "$simulate" = 1 ]; then
  "$root/build/tools/dtusim/dtusim" --out "$run/received" "${tcp[@]}" > "$run/dtusim.port" 2> "$run/dtusim.log" &
  sim=$!
  trap 'kill "$sim" 2>/dev/null || true' EXIT
  lines=$((1 + ${#tcp[@]} / 2))
  for _ in $(seq 50); do
    [ "$(wc -l < "$run/dtusim.port")" -ge "$lines" ] && break
    sleep 0.1
  done
  # The pty's path, or with --tcp the network port on the line after it.
  port=$(sed -n "${lines}p" "$run/dtusim.port")
  [ -n "$port" ] || { echo "start: the simulator did not start; see $run/dtusim.log" >&2; exit 1; }
  echo "start: simulated DTU on $port (display 1674097996); images it receives go to $run/received" >&2
  args=(--port "$port" "${args[@]}")
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "start: no display found; running under Xvfb (set DISPLAY to use yours)" >&2
  xvfb-run -a "$root/build/app/telvane" "${args[@]}"
else
  "$root/build/app/telvane" "${args[@]}"
fi
