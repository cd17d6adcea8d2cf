#!/usr/bin/env bash
# Figures of a whole send, the program as an operator runs it ("kelvra N=1
# S=<file> END", offscreen) against kelvra-ncsim on a pseudo-terminal:
#   1. CPU of the program while it waits for the control's start signal;
#   2. characters per second of an unthrottled send of a 300 KB program;
#   3. how busy a 19200-baud line is kept (the control consumes 1920 chars/s
#      from a 256-byte buffer and pauses the sender with DC3/DC1);
#   4. how many bytes still come after the control's DC3 when it reads as
#      fast as the program sends (then cancels with CAN).
# Usage: bench/send_bench.sh [build folder]
set -euo pipefail
build=${1:-build}
kelvra=$build/src/kelvra
ncsim=$build/tools/ncsim/kelvra-ncsim
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export KELVRA_HOME=$work QT_QPA_PLATFORM=offscreen KELVRA_NO_DESKTOP_ACTIONS=1

control() { # starts kelvra-ncsim with the given options and maps COM1 to it
  rm -f "$work/line" "$work/stats"
  "$ncsim" read --once --link "$work/line" --stats "$work/stats" "$@" &
  for _ in $(seq 100); do [ -s "$work/line" ] && break; sleep 0.05; done
  printf '[Ports]\r\nCOM1=%s\r\n' "$(cat "$work/line")" > "$work/kelvra.INI"
}
stat_of() { grep "^$1=" "$work/stats" | cut -d= -f2; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

printf '[Setting_S]\r\nSpeed=4\r\n' > "$work/SetData1.ini"
{ printf 'O1\r\n'; for i in $(seq 14000); do printf 'G01 X%d.5 Y2.\r\n' "$i"; done; printf 'M30\r\n'; } > "$work/big.nc"
size=$(stat -c %s "$work/big.nc")

# 1. Waiting for a start signal that does not come.
control --start none --idle 60000
"$kelvra" N=1 "S=$work/big.nc" END & app=$!
sleep 3
t0=$(cpu_ticks $app); sleep 10; t1=$(cpu_ticks $app)
hz=$(getconf CLK_TCK)
echo "CPU while waiting for the start signal: $(awk -v d=$((t1 - t0)) -v hz="$hz" 'BEGIN{printf "%.2f", d / hz / 10 * 100}') % of a core (10 s)"
kill $app; wait $app 2>/dev/null || true; kill %1 2>/dev/null || true; wait 2>/dev/null || true

# 2. Unthrottled send.
control
"$kelvra" N=1 "S=$work/big.nc" END
wait
echo "unthrottled send of $size bytes: $(awk -v b="$(stat_of bytes)" -v s="$(stat_of elapsed_seconds)" 'BEGIN{printf "%.0f", b / s}') chars/s ($(stat_of elapsed_seconds) s)"

# 3. A 19200-baud control with a small buffer.
control --rate 1920 --buffer 256
head -c 60000 "$work/big.nc" > "$work/part.nc"
"$kelvra" N=1 "S=$work/part.nc" END
wait
echo "line busy during a send at 19200 baud: $(awk -v f="$(stat_of busy_fraction)" 'BEGIN{printf "%.2f", f * 100}') % (pauses $(stat_of pauses), bytes after a DC3 at most $(stat_of max_after_pause))"

# 4. Pause latency of an unthrottled send.
control --cancel-after 20000
"$kelvra" N=1 "S=$work/big.nc" END & app=$!
for _ in $(seq 200); do grep -q '^end=' "$work/stats" 2>/dev/null && break; sleep 0.1; done
kill $app 2>/dev/null || true; wait 2>/dev/null || true
echo "bytes that came after the control's DC3 (unthrottled, pty): $(stat_of max_after_pause)"
