#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kelvra with a simulated machine
# control on a pseudo-terminal standing in for the machine on COM1.
#
# The demo keeps its settings in build/demo-home (unless KELVRA_HOME is set).
# Without a display it runs under a virtual X server, takes a screenshot into
# build/kelvra-screenshot.png, closes the program normally and prints the
# settings it wrote.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

export KELVRA_HOME=${KELVRA_HOME:-$PWD/build/demo-home}
mkdir -p "$KELVRA_HOME"
kelvra=build/src/kelvra
ncsim=build/tools/ncsim/kelvra-ncsim

pids=()
cleanup() { for p in "${pids[@]:-}"; do [ -n "$p" ] && kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

if [ -x "$ncsim" ]; then
  # The simulated control answers a send like a control in read mode and
  # records what it receives.
  rm -f build/ncsim.path
  "$ncsim" read --link build/ncsim.path --out build/ncsim-received.txt 2>/dev/null &
  pids+=($!)
  for _ in $(seq 50); do [ -s build/ncsim.path ] && break; sleep 0.1; done
  pty=$(cat build/ncsim.path)
  ini="$KELVRA_HOME/kelvra.INI"
  if ! grep -qi '^\[Ports\]' "$ini" 2>/dev/null; then printf '[Ports]\r\nCOM1=%s\r\n' "$pty" >> "$ini"
  else sed -i "s#^COM1=.*#COM1=$pty\r#I" "$ini"; fi
  echo "Simulated machine control on $pty (COM1); it writes what it receives to build/ncsim-received.txt"
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  "$kelvra" "$@"
else
  echo "No display: running under Xvfb for a screenshot."
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$0" "${@:1}" & app=$!
    sleep 4
    import -window root build/kelvra-screenshot.png
    kill -TERM $app; wait $app' "$kelvra" "$@"
  echo "Screenshot: build/kelvra-screenshot.png"
  echo "Settings written to $KELVRA_HOME:"
  ls -l "$KELVRA_HOME"
fi
