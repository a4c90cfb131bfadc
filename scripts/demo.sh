#!/usr/bin/env bash
# Try it without a phone: builds Harbrook and the harbrook-phone stand-in and
# runs them side by side on loopback, in throw-away HOME/XDG folders. The
# phone pairs, backs up a sample folder (photos, a video, documents, audio),
# receives a file from the PC and disconnects; then the backup folder tree and
# the history are printed. Nothing outside the temporary folder is touched
# and nothing leaves 127.0.0.1.
#   scripts/demo.sh            in the terminal (Harbrook runs --headless)
#   scripts/demo.sh --window   Harbrook's window on your desktop: the QR code,
#                              the pairing, the banner during the backup, the
#                              file sent back; the window stays until you quit
#   HARBROOK_DEMO_PORTS=N   first of the 14 ports the demo uses (45390)
#   HARBROOK_DEMO_KEEP=1    keep the temporary folder afterwards
set -euo pipefail
window=
case "${1:-}" in
  --window) window=1 ;;
  "") ;;
  *) echo "usage: scripts/demo.sh [--window]" >&2; exit 2 ;;
esac
if [[ -n $window && -z ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
  echo "demo.sh --window needs a desktop (DISPLAY is not set)" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
root=$PWD
scripts/deps.sh
mkdir -p build
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHARBROOK_TESTS=OFF \
      -DHARBROOK_BENCH=OFF >build/run.configure.log 2>&1 || { cat build/run.configure.log; exit 1; }
cmake --build build/run -j"${HARBROOK_JOBS:-2}" >build/run.build.log 2>&1 \
  || { tail -50 build/run.build.log; exit 1; }
pc_exe=$root/build/run/app/harbrook
phone_exe=$root/build/run/tools/phone/harbrook-phone

base=${HARBROOK_DEMO_PORTS:-45390}
demo=$(mktemp -d /tmp/harbrook-demo.XXXXXX)
export HOME=$demo/home XDG_CONFIG_HOME=$demo/config XDG_DATA_HOME=$demo/data
export HARBROOK_ADDRESS=127.0.0.1
mkdir -p "$HOME"
pids=()
finish() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [[ -n ${HARBROOK_DEMO_KEEP:-} ]]; then echo "Kept $demo"; else rm -rf "$demo"; fi
}
trap finish EXIT

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
# Waits (at most $2 seconds) for a line matching $1 in Harbrook's output.
wait_for_pc() {
  local deadline=$((SECONDS + ${2:-20}))
  until grep -q -- "$1" "$demo/pc.log"; do
    ((SECONDS < deadline)) || { echo "Harbrook did not print \"$1\" in time:"; cat "$demo/pc.log"; exit 1; }
    sleep 0.1
  done
}
pc() { "$pc_exe" --address 127.0.0.1 --ports-base "$base" --quick-timing "$@"; }
phone() { "$phone_exe" "$@" 2>&1 | sed -u 's/^/    [phone] /'; }

step "A sample of a phone's files"
sample=$demo/phone-storage
mkdir -p "$sample/DCIM/Camera" "$sample/Pictures/Screenshots" "$sample/Movies" \
         "$sample/Documents" "$sample/Music" "$demo/backups" "$demo/phone-inbox"
for i in 1 2 3; do head -c $((400000 + i * 150000)) /dev/urandom >"$sample/DCIM/Camera/IMG_2024050$i.jpg"; done
head -c 180000 /dev/urandom >"$sample/Pictures/Screenshots/Screenshot_1.png"
head -c 2500000 /dev/urandom >"$sample/Movies/holiday.mp4"
head -c 90000 /dev/urandom >"$sample/Documents/report.pdf"
printf 'Dear Harbrook,\nthis letter was backed up from a phone.\n' >"$sample/Documents/letter.txt"
head -c 1200000 /dev/urandom >"$sample/Music/song.mp3"
(cd "$sample" && find . -type f -printf '    %-40P %10s bytes\n' | sort)

if [[ -n $window ]]; then
  source scripts/demo-window.sh
  exit 0
fi

step "Harbrook starts (headless, on loopback, ports $base-$((base + 13)))"
# Started directly, not through the pc function, so that $! is Harbrook itself.
# The log exists before tail looks for it.
: >"$demo/pc.log"
"$pc_exe" --address 127.0.0.1 --ports-base "$base" --quick-timing --headless \
  --backup-root "$demo/backups" >"$demo/pc.log" 2>&1 &
pc_pid=$!
tail -n +1 --pid="$pc_pid" -f "$demo/pc.log" | sed -u 's/^/    [PC] /' &
tail_pid=$!
pids+=("$pc_pid" "$tail_pid")
wait_for_pc "Pairing code: "
qr=$(grep -o 'Pairing code: [0-9.:]*' "$demo/pc.log" | head -1 | cut -d' ' -f3)

step "The phone scans the code ($qr) and pairs"
"$phone_exe" run "$qr" --address 127.0.0.1 --name "Demo Phone" --id demo-phone-1 --interval 1000 \
  --beacon-port $((base + 9)) --detect-port $((base + 13)) --disconnect-port $((base + 12)) \
  >"$demo/phone.log" 2>&1 &
pids+=($!)
wait_for_pc "Connected: "

step "The phone backs up its files"
phone backup --pc "127.0.0.1:$((base + 6))" "$sample"
wait_for_pc "Backup [a-z]*: [0-9]* file" 60

step "The PC sends a file to the phone (harbrook --send, handed to the running Harbrook)"
printf 'Sent from the PC by Harbrook.\n' >"$demo/from-the-pc.txt"
phone receive --out "$demo/phone-inbox" --port $((base + 11)) --count 1 &
pids+=($!)
pc --send "$demo/from-the-pc.txt"  # waits for the outcome and prints it
echo "    The phone now holds: $(ls "$demo/phone-inbox")"

step "The phone disconnects"
phone notice --pc 127.0.0.1 --notice-port $((base + 10))
wait_for_pc "Disconnected. "

step "Harbrook quits (SIGTERM, as Ctrl-C would)"
kill -TERM "$pc_pid"
wait "$pc_pid" || true
wait_for_pc "Quitting" 5
wait "$tail_pid" || true  # tail ends with Harbrook

step "What arrived on the PC ($demo/backups)"
(cd "$demo/backups" && find . -mindepth 1 -printf '%d|%y|%P|%s\n' | LC_ALL=C sort -t'|' -k3,3 | \
  awk -F'|' '{ indent = ""; for (i = 1; i < $1; i++) indent = indent "    ";
               n = split($3, parts, "/"); name = parts[n];
               if ($2 == "d") print "    " indent name "/";
               else printf "    %s%-28s %10d bytes\n", indent, name, $4 }')

step "Backup history (harbrook --history)"
pc --history | sed 's/^/    /'
