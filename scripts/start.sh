#!/usr/bin/env bash
# Builds Telvane and starts it in a scratch working directory (build/run),
# where it keeps Telvane.ini and data.bin. Extra arguments go to telvane.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
run="$root/build/run"
mkdir -p "$run"
[ -f "$run/cmds.json" ] || { [ -f "$root/commands/cmds.json" ] && cp "$root/commands/cmds.json" "$run/"; } || true
cd "$run"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "start: no display found; running under Xvfb (set DISPLAY to use yours)" >&2
  exec xvfb-run -a "$root/build/app/telvane" "$@"
fi
exec "$root/build/app/telvane" "$@"
