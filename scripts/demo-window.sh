# The window half of scripts/demo.sh (sourced by it, with its variables and
# helpers): Harbrook's window and the phone stand-in side by side.

step "Harbrook starts with its window (on loopback, ports $base-$((base + 13)))"
: >"$demo/pc.log"
# Ordinary link timings: the window is for watching, not for hurrying.
"$pc_exe" --address 127.0.0.1 --ports-base "$base" \
  --backup-root "$demo/backups" >"$demo/pc.log" 2>&1 &
pc_pid=$!
pids+=("$pc_pid")
# The pairing code is written once the pairing port is bound.
deadline=$((SECONDS + 20))
until [[ -n $(find "$XDG_DATA_HOME" -name qrcode.bmp 2>/dev/null) ]]; do
  ((SECONDS < deadline)) || { echo "Harbrook did not start:"; cat "$demo/pc.log"; exit 1; }
  sleep 0.1
done
echo "    It lives behind its tray icon; a second start shows the window."
pc
echo "    The connect panel shows the QR code. Take a look; the phone scans it in 5 seconds."
sleep 5

step "The phone scans the code (127.0.0.1:$base) and pairs"
"$phone_exe" run "127.0.0.1:$base" --address 127.0.0.1 --name "Demo Phone" --id demo-phone-1 \
  --interval 1000 --beacon-port $((base + 9)) --detect-port $((base + 13)) \
  --disconnect-port $((base + 12)) >"$demo/phone.log" 2>&1 &
pids+=($!)
deadline=$((SECONDS + 20))
until grep -q "paired:" "$demo/phone.log"; do
  ((SECONDS < deadline)) || { echo "The phone did not pair:"; cat "$demo/phone.log"; exit 1; }
  sleep 0.1
done
echo "    The window shows the connected panel. The backup starts in 3 seconds."
sleep 3

step "The phone backs up its files (watch the banner)"
head -c 25000000 /dev/urandom >"$sample/Movies/long-holiday.mp4"
# A pause before each chunk, as over Wi-Fi: loopback would be done in a blink.
phone backup --pace 50 --pc "127.0.0.1:$((base + 6))" "$sample"

step "The PC sends a file to the phone (harbrook --send, handed to the running window)"
printf 'Sent from the PC by Harbrook.\n' >"$demo/from-the-pc.txt"
phone receive --out "$demo/phone-inbox" --port $((base + 11)) --count 1 &
pids+=($!)
pc --send "$demo/from-the-pc.txt"
deadline=$((SECONDS + 30))
until [[ -e "$demo/phone-inbox/from-the-pc.txt" ]]; do
  ((SECONDS < deadline)) || { echo "The file did not arrive"; exit 1; }
  sleep 0.1
done
echo "    The phone now holds: $(ls "$demo/phone-inbox")"
echo "    (The window says so in a message box. Try the other buttons: Received Files"
echo "    opens the backup in your file manager; Send Files picks files to send; files"
echo "    dropped on the window are sent too; Disconnect ends the connection.)"

step "Backup history (harbrook --history)"
pc --history | sed 's/^/    /'

if [[ -t 0 ]]; then
  read -r -p $'\nPress Enter to quit Harbrook and end the demo. ' _
fi
kill -TERM "$pc_pid"
wait "$pc_pid" || true
