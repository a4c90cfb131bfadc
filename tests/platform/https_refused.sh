#!/usr/bin/env bash
# https_refused.sh PROBE...: the update checker's downloads refuse a server
# whose certificate nobody vouches for. Starts openssl s_server on 127.0.0.1
# with a fresh self-signed certificate (valid for 127.0.0.1 and in date, so
# trust is the only thing missing), checks that a client that does trust it
# gets the page, then runs PROBE URL FILE (tests/platform/http_probe, through
# wine for the Windows build), which must not get it. The same probe gets the
# same page from a plain HTTP server (python3 -m http.server), so that what
# it lacks over https is the trust and nothing else.
set -euo pipefail

fail() { echo "https_refused: $*" >&2; exit 1; }
for tool in openssl python3; do
  command -v $tool >/dev/null || fail "$tool is missing (scripts/deps.sh installs it)"
done
(($# > 0)) || fail "usage: https_refused.sh PROBE-COMMAND..."

tmp=$(mktemp -d "${TMPDIR:-/tmp}/harbrook-https-XXXXXX")
servers=()
cleanup() {
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
cd "$tmp"
# The probe talks to loopback only, never through a proxy.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
export no_proxy=127.0.0.1 NO_PROXY=127.0.0.1

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 \
  -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 >openssl.log 2>&1 \
  || { cat openssl.log; fail "cannot make a certificate"; }
mkdir www && echo "[VersionInfo]" >www/update.ini
(cd www && exec openssl s_server -accept 127.0.0.1:0 -cert ../cert.pem -key ../key.pem -WWW \
  >../server.log 2>&1) &
servers+=($!)
(cd www && exec python3 -u -m http.server --bind 127.0.0.1 0 >../plain.log 2>&1) &
servers+=($!)
# port LOG SED-PATTERN: the port a server printed once it listens.
port() {
  local found=""
  for _ in $(seq 100); do
    found=$(sed -n "$2" "$1" 2>/dev/null | head -n1)
    [[ -n $found ]] && break
    sleep 0.1
  done
  [[ -n $found ]] || { cat "$1" >&2; fail "the server of $1 did not start"; }
  echo "$found"
}
port=$(port server.log 's/^ACCEPT 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p')
plain=$(port plain.log 's/^Serving HTTP on 127\.0\.0\.1 port \([0-9][0-9]*\).*/\1/p')

# The server works for a client that trusts its certificate.
page=$(printf 'GET /update.ini HTTP/1.0\r\n\r\n' |
  timeout 20 openssl s_client -quiet -connect "127.0.0.1:$port" -CAfile cert.pem \
    -verify_return_error -verify_ip 127.0.0.1 2>/dev/null || true)
grep -q '^\[VersionInfo\]' <<<"$page" || fail "a client that trusts the certificate got no page"

outcome=$(timeout 120 "$@" "http://127.0.0.1:$plain/update.ini" plain.ini | tr -d '\r')
[[ $outcome == Copied ]] && grep -q '^\[VersionInfo\]' plain.ini \
  || fail "the probe cannot download over plain HTTP either (outcome $outcome)"

outcome=$(timeout 120 "$@" "https://127.0.0.1:$port/update.ini" downloaded.ini | tr -d '\r')
echo "probe: $outcome"
[[ $outcome == NotOpened ]] || fail "the self-signed server was not refused (outcome $outcome)"
[[ ! -e downloaded.ini ]] || fail "a file was written from the self-signed server"
echo "refused, as it must be"
