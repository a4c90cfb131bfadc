#!/usr/bin/env bash
# Checks the Debian package of Harbrook as a user would meet it: unpacks it
# into a throw-away root, checks its file list and Depends, runs the unpacked
# programs with a private HOME (help, version, start at login, a headless
# start on loopback that the phone stand-in pairs with and receives two files
# from through the "Send to phone" command line), and runs lintian,
# desktop-file-validate, appstreamcli and systemd-analyze verify.
#   scripts/check-deb.sh DEB [BUILD_DIR]
# With BUILD_DIR, every file the build put beside the program must be in
# /usr/share/harbrook/ too.
set -euo pipefail
deb=$(realpath "$1")
build=${2:-}
# Everything started here talks to loopback only.
export HARBROOK_ADDRESS=127.0.0.1

tmp=$(mktemp -d "${TMPDIR:-/tmp}/harbrook-deb-XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
root=$(realpath "$tmp")/root
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

dpkg-deb -x "$deb" "$root"
# Files, links and empty folders (a folder name ends in /).
listing=$(cd "$root" && { find . -mindepth 1 \( -type f -o -type l \); find . -mindepth 1 -type d -empty -printf '%p/\n'; } \
  | sed 's|^\./|/|' | LC_ALL=C sort)
echo "== file list of $(basename "$deb")"
echo "$listing"

echo "== checks"
expected=(/usr/bin/harbrook /usr/bin/harbrook-window /usr/bin/harbrook-phone
          /usr/share/applications/harbrook.desktop /usr/share/applications/harbrook-send.desktop
          /usr/share/metainfo/lab.orvanta.Harbrook.metainfo.xml
          /usr/share/icons/hicolor/scalable/apps/harbrook.svg
          /usr/share/man/man1/harbrook.1.gz /usr/share/man/man1/harbrook-phone.1.gz
          /usr/share/doc/harbrook/copyright /usr/share/doc/harbrook/changelog.Debian.gz
          /usr/lib/systemd/user/harbrook.service)
for size in 16 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/harbrook.png")
done
for file in "${expected[@]}"; do
  grep -qxF "$file" <<<"$listing" || fail "missing from the package: $file"
done
[[ -d $root/usr/share/harbrook ]] || fail "no /usr/share/harbrook/ folder"
strays=$(grep -vE '^/usr/(bin/harbrook(-phone|-window)?|share/(harbrook|applications|metainfo|icons/hicolor|man/man1|doc/harbrook)/|lib/systemd/user/harbrook\.service$)' <<<"$listing" || true)
[[ -z $strays ]] || fail "files outside the layout (an autostart entry must never come with the package): $strays"
if [[ -n $build ]]; then
  beside=$(dirname "$(find "$build" -maxdepth 2 -type f -name harbrook -perm -u+x | head -n1)")
  for item in mobile.jpg harbrook.ini "harbrook locales"; do
    [[ -e $beside/$item ]] || continue
    (cd "$beside" && find "$item" -type f) | while read -r f; do
      [[ -f "$root/usr/share/harbrook/$f" ]] || echo "FAIL: $f is beside the built program but not in /usr/share/harbrook/"
    done | grep . && failures=$((failures + 1))
  done
fi
pass "file list"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libzmq5 libqrencode4 libsodium23 libc6 libstdc++6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done
# The window lives in harbrook-window; harbrook itself must stay free of Qt.
readelf -d "$root/usr/bin/harbrook" | grep -q 'libQt6' && fail "harbrook links Qt"
if readelf -d "$root/usr/bin/harbrook-window" | grep -q 'libQt6'; then
  grep -q 'libqt6' <<<"$depends" || fail "harbrook-window links Qt but Depends lacks it"
fi
pass "Depends"

# A private HOME: nothing the programs write lands in the real one.
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data XDG_RUNTIME_DIR=$tmp/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY
exe=$root/usr/bin/harbrook

"$exe" --help >"$tmp/help.txt" || fail "harbrook --help exited $?"
grep -q '^Usage: harbrook' "$tmp/help.txt" || fail "harbrook --help: no usage"
grep -q -- '--autostart' "$tmp/help.txt" || fail "harbrook --help does not name --autostart"
"$root/usr/bin/harbrook-phone" --help >/dev/null || fail "harbrook-phone --help exited $?"
version=$("$exe" --version)
echo "$version"
grep -qxF "program files: $root/usr/share/harbrook" <<<"$version" \
  || fail "the unpacked program does not take its files from $root/usr/share/harbrook"
pass "help and version"

entry=$XDG_CONFIG_HOME/autostart/harbrook.desktop
[[ ! -e $entry ]] || fail "an autostart entry exists before anyone asked for one"
"$exe" --autostart on
grep -qxF "Exec=$exe" "$entry" || fail "the autostart entry does not start $exe"
desktop-file-validate "$entry" || fail "desktop-file-validate: the autostart entry"
"$exe" --autostart off
[[ ! -e $entry ]] || fail "--autostart off left the entry"
pass "start at login"

# A headless start on a free run of 14 ports (python3 binds each to see):
# the PC's 13 and the phone stand-in's detection port. The phone stand-in
# pairs, and the "Send to phone" entry's command line sends two files to it.
base=$(/usr/bin/python3 - <<'PY'
import random, socket
for _ in range(200):
    base = random.randrange(20000, 60000)
    try:
        socks = []
        for p in range(base, base + 14):
            s = socket.socket(); s.bind(("127.0.0.1", p)); socks.append(s)
        print(base); break
    except OSError:
        pass
    finally:
        for s in socks: s.close()
PY
)
"$exe" --headless --address 127.0.0.1 --ports-base "$base" --quick-timing >"$tmp/run.txt" 2>&1 &
pid=$!
pids+=("$pid")
# Polls a condition for up to ten seconds while the program runs.
wait_for() {
  for _ in $(seq 100); do
    eval "$1" && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
wait_for 'grep -q "Pairing code: 127.0.0.1:$base" "$tmp/run.txt" && (exec 3<>"/dev/tcp/127.0.0.1/$base") 2>/dev/null' \
  || fail "the headless start did not accept on its pairing port $base"

phone=$root/usr/bin/harbrook-phone
"$phone" run "127.0.0.1:$base" --address 127.0.0.1 --pc 127.0.0.1 --beacon-port $((base + 9)) \
  --notice-port $((base + 10)) --disconnect-port $((base + 12)) --detect-port $((base + 13)) \
  --interval 500 --seconds 30 >"$tmp/phone.txt" 2>&1 &
pids+=($!)
"$phone" receive --out "$tmp/received" --port $((base + 11)) --timeout 10000 >"$tmp/receive.txt" 2>&1 &
receiver=$!
pids+=("$receiver")
mkdir -p "$tmp/received" "$tmp/picked"
echo "first file" >"$tmp/picked/one.txt"
echo "a second file, with a space in its name" >"$tmp/picked/two words.txt"
if wait_for 'grep -q "Paired with" "$tmp/run.txt"'; then
  # The entry's command line as a file manager runs it: %F becomes the files.
  read -ra command <<<"$(sed -n 's/^Exec=//p' "$root/usr/share/applications/harbrook-send.desktop")"
  [[ ${command[*]} == "harbrook --notify --send %F" ]] || fail "Send to phone runs: ${command[*]}"
  "$exe" --notify --send "$tmp/picked/one.txt" "$tmp/picked/two words.txt" || fail "harbrook --send exited $?"
  wait "$receiver" || fail "the phone stand-in did not receive the send"
  for f in one.txt "two words.txt"; do
    cmp -s "$tmp/picked/$f" "$tmp/received/$f" || fail "$f did not arrive whole"
  done
else
  fail "the phone stand-in did not pair"
fi
kill -TERM "$pid" 2>/dev/null
wait "$pid" && status=0 || status=$?
echo "== headless start (ports from $base), pairing and Send to phone"
grep -v '^[ █▀▄]*$' "$tmp/run.txt" | sed 's/^/  | /'
sed 's/^/  phone | /' "$tmp/receive.txt"
[[ $status == 0 ]] || fail "the headless start ended with status $status after SIGTERM"
grep -q '^Quitting' "$tmp/run.txt" || fail "the headless start did not quit cleanly"
pass "headless start"

echo "== lintian"
lintian --display-info --fail-on error "$deb" >"$tmp/lintian.txt" 2>&1 || fail "lintian reports errors"
sed -i '/running with root privileges/d' "$tmp/lintian.txt"
cat "$tmp/lintian.txt"
echo "lintian summary: $(grep -c '^E:' "$tmp/lintian.txt" || true) errors, $(grep -c '^W:' "$tmp/lintian.txt" || true) warnings, $(grep -c '^I:' "$tmp/lintian.txt" || true) infos"
desktop-file-validate "$root"/usr/share/applications/*.desktop || fail "desktop-file-validate"
pass "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
# The user service, with its ExecStart pointed at the unpacked program.
unit=$root/usr/lib/systemd/user/harbrook.service
grep -qxF 'ExecStart=/usr/bin/harbrook --headless' "$unit" || fail "the service does not run harbrook --headless"
sed "s|^ExecStart=/usr/bin/harbrook|ExecStart=$exe|" "$unit" >"$tmp/harbrook.service"
systemd-analyze verify --man=no "$tmp/harbrook.service" || fail "systemd-analyze verify: the user service"
pass "user service"

((failures == 0)) || { echo "$failures check(s) failed"; exit 1; }
echo "package checks passed"
