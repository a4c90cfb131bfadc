#!/usr/bin/env bash
# Build Harbrook's Windows (x86_64-w64-mingw32) third-party libraries from
# Debian's source packages into a cache prefix outside any checkout:
#
#   ${HARBROOK_WIN_DEPS:-$HOME/.cache/harbrook-win-deps}/<key>
#     include/zmq.h zmq_utils.h  (libzmq, static)
#     include/zmq.hpp zmq_addon.hpp (cppzmq, header-only, copied from the
#                                    host package cppzmq-dev)
#     include/qrencode.h          (libqrencode, static)
#     include/sodium.h sodium/    (libsodium, static: the update signatures)
#     lib/libzmq.a lib/libqrencode.a lib/libsodium.a, lib/pkgconfig, lib/cmake
#
# Idempotent: when <key>/.harbrook-win-deps.stamp exists it only makes sure
# the host packages are present, prints the prefix and exits.
# Progress goes to stderr (one line per step); the prefix is the last line on
# stdout:   prefix=$(scripts/win-deps.sh | tail -n1)
#
# Options:  --force   rebuild even if the prefix is complete
#           --key     print the cache key and exit
set -Eeuo pipefail

# ---- recipe ---------------------------------------------------------------
# Bump RECIPE_REV whenever the build steps or flags below change.
RECIPE_REV=2
ZMQ_SRC_VERSION=${HARBROOK_ZMQ_SRC_VERSION:-4.3.4-6}      # source package zeromq3
QRENCODE_SRC_VERSION=${HARBROOK_QRENCODE_SRC_VERSION:-4.1.1-1} # source package qrencode
SODIUM_SRC_VERSION=${HARBROOK_SODIUM_SRC_VERSION:-1.0.18-1+deb12u1} # source package libsodium
CPPZMQ_VERSION=${HARBROOK_CPPZMQ_VERSION:-4.9.0-1}          # host package cppzmq-dev
TRIPLE=x86_64-w64-mingw32
HOST_PACKAGES=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
               binutils-mingw-w64-x86-64 wine64 cmake make dpkg-dev xz-utils bzip2
               cppzmq-dev googletest autoconf automake libtool)

KEY="zeromq3-${ZMQ_SRC_VERSION}_qrencode-${QRENCODE_SRC_VERSION}_sodium-${SODIUM_SRC_VERSION}_cppzmq-${CPPZMQ_VERSION}_r${RECIPE_REV}"
ROOT=${HARBROOK_WIN_DEPS:-$HOME/.cache/harbrook-win-deps}
PREFIX=$ROOT/$KEY
STAMP=$PREFIX/.harbrook-win-deps.stamp
LOG=$ROOT/$KEY.log
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
TOOLCHAIN=$HERE/../cmake/mingw-w64-x86_64.cmake
JOBS=${HARBROOK_JOBS:-2}

force=0
for arg in "$@"; do
  case $arg in
    --force) force=1 ;;
    --key) echo "$KEY"; exit 0 ;;
    -h|--help) sed -n '2,17p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "win-deps.sh: unknown option $arg" >&2; exit 2 ;;
  esac
done

step() { printf 'win-deps: %s\n' "$*" >&2; }

SUDO=()
if [[ $(id -u) -ne 0 ]]; then SUDO=(sudo); fi

# ---- host packages (cheap: one dpkg-query) ----------------------------------
apt_updated=0
apt_update() {
  if [[ $apt_updated -eq 0 ]]; then
    "${SUDO[@]}" apt-get update -qq >>"$LOG" 2>&1
    apt_updated=1
  fi
}
missing_packages() {  # one dpkg-query, one awk
  { dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${HOST_PACKAGES[@]}" 2>/dev/null || true; } |
    awk -v want="${HOST_PACKAGES[*]}" '
      $2 == "installed" { ok[$1] = 1 }
      END { n = split(want, w, " "); for (i = 1; i <= n; i++) if (!(w[i] in ok)) print w[i] }'
}

on_error() {
  local rc=$?
  trap - ERR
  # Report once, from the main shell only (subshells inherit the trap).
  if [[ $BASHPID != "$$" ]]; then exit "$rc"; fi
  step "FAILED (exit $rc); last lines of $LOG:"
  if [[ -f $LOG ]]; then tail -n 40 "$LOG" >&2; fi
  exit "$rc"
}

mkdir -p "$ROOT"
mapfile -t missing < <(missing_packages)
if [[ ${#missing[@]} -gt 0 ]]; then
  trap on_error ERR
  step "installing host packages: ${missing[*]}"
  apt_update
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >>"$LOG" 2>&1
  trap - ERR
fi

# ---- fast path ------------------------------------------------------------------
if [[ $force -eq 0 && -f $STAMP ]]; then
  echo "$PREFIX"
  exit 0
fi

# ---- slow path: one builder at a time per cache dir ------------------------------
exec 8>"$ROOT/.lock"
flock 8
if [[ $force -eq 0 && -f $STAMP ]]; then  # another run finished it meanwhile
  echo "$PREFIX"
  exit 0
fi

: >"$LOG"
trap on_error ERR
WORK=$(mktemp -d "$ROOT/.build.XXXXXX")
cleanup() { rm -rf "$WORK"; }
trap cleanup EXIT
# apt-get source would rather download as user _apt; when the cache sits in a
# private home (e.g. /root) it falls back to root with a harmless warning.
chmod 755 "$WORK"
start=$SECONDS

# deb-src entries (apt-get source needs them).
have_deb_src() {
  grep -Eqs '^[[:space:]]*(deb-src[[:space:]]|Types:.*\bdeb-src\b)' \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources
}
if ! have_deb_src; then
  # Derived from the machine's own entries (deb822 or one-line), so the
  # sources come from the mirror its binary packages come from.
  src=/etc/apt/sources.list.d/debian.sources
  if [[ -f $src ]]; then
    step "adding deb-src entries (/etc/apt/sources.list.d/debian-src.sources)"
    sed 's/^Types:.*/Types: deb-src/' "$src" | "${SUDO[@]}" tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  elif grep -Eqs '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list; then
    step "adding deb-src entries (/etc/apt/sources.list.d/debian-src.list)"
    sed -En 's/^[[:space:]]*deb([[:space:]])/deb-src\1/p' /etc/apt/sources.list |
      "${SUDO[@]}" tee /etc/apt/sources.list.d/debian-src.list >/dev/null
  else
    echo "no $src nor deb lines in /etc/apt/sources.list to derive deb-src entries from" >>"$LOG"
    false
  fi
  apt_updated=0
  apt_update
fi

# cppzmq is header-only: reuse the host package's headers, pinned by version.
have=$(dpkg-query -W -f='${Version}' cppzmq-dev)
if [[ $have != "$CPPZMQ_VERSION" ]]; then
  echo "cppzmq-dev is $have, recipe expects $CPPZMQ_VERSION (set HARBROOK_CPPZMQ_VERSION=$have)" >>"$LOG"
  false
fi

# fetch <srcpkg> <version> [build file]: unpacks the source into
# $WORK/<srcpkg>-<upstream version> and checks that the build file (default
# CMakeLists.txt) is there.  Prefers Debian's
# full source (upstream + Debian patches); if the registry does not serve the
# Debian diff, falls back to the upstream .orig tarball, which apt has already
# checked against the signed Sources index.
fetch() {
  local pkg=$1 ver=$2 upver=${2%-*} buildfile=${3:-CMakeLists.txt} dir orig
  cd "$WORK"
  # (Refresh the indexes and retry only when apt did not even know the version.)
  if apt-get source -qq "$pkg=$ver" >>"$LOG" 2>&1 ||
     { [[ ! -f ${pkg}_${ver}.dsc ]] && { apt_updated=0; apt_update;
       apt-get source -qq "$pkg=$ver" >>"$LOG" 2>&1; }; }; then
    dir=$WORK/$pkg-$upver
    echo "$pkg $ver: debian source" >>"$WORK/provenance"
  else
    orig=$(find "$WORK" -maxdepth 1 -name "${pkg}_${upver}.orig.tar.*" | head -n1)
    if [[ -z $orig ]]; then
      echo "cannot fetch $pkg=$ver (neither full source nor .orig tarball)" >>"$LOG"
      cd - >/dev/null; return 1
    fi
    echo "$pkg $ver: Debian diff not available, using upstream $(basename "$orig")" >>"$LOG"
    echo "$pkg $ver: upstream $(basename "$orig") (no Debian patches)" >>"$WORK/provenance"
    mkdir -p "$WORK/$pkg-$upver"
    tar -xf "$orig" -C "$WORK/$pkg-$upver" --strip-components=1
    dir=$WORK/$pkg-$upver
  fi
  cd - >/dev/null
  [[ -f $dir/$buildfile ]] || { echo "no $buildfile in $dir" >>"$LOG"; return 1; }
}
step "fetching sources: zeromq3 $ZMQ_SRC_VERSION, qrencode $QRENCODE_SRC_VERSION, libsodium $SODIUM_SRC_VERSION"
: >"$WORK/provenance"
fetch zeromq3 "$ZMQ_SRC_VERSION"
fetch qrencode "$QRENCODE_SRC_VERSION"
fetch libsodium "$SODIUM_SRC_VERSION" configure.ac
ZMQ_SRC=$WORK/zeromq3-${ZMQ_SRC_VERSION%-*}
QR_SRC=$WORK/qrencode-${QRENCODE_SRC_VERSION%-*}
SODIUM_SRC=$WORK/libsodium-${SODIUM_SRC_VERSION%-*}
while read -r line; do step "  $line"; done <"$WORK/provenance"

STAGE=$WORK/stage   # DESTDIR; files land in $STAGE$PREFIX
common=(-DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_INSTALL_LIBDIR=lib
        -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF)
build() {  # build <name> <srcdir> <cmake args...>
  local name=$1 srcdir=$2; shift 2
  local b=$WORK/build-$name
  echo "=== $name: configure" >>"$LOG"
  cmake -S "$srcdir" -B "$b" "${common[@]}" "$@" >>"$LOG" 2>&1
  echo "=== $name: build" >>"$LOG"
  nice -n 10 cmake --build "$b" -j "$JOBS" >>"$LOG" 2>&1
  echo "=== $name: install" >>"$LOG"
  DESTDIR=$STAGE cmake --install "$b" >>"$LOG" 2>&1
}

step "building libzmq (static, $TRIPLE)"
# ZMQ_WIN32_WINNT: libzmq derives _WIN32_WINNT from CMAKE_SYSTEM_VERSION and
# breaks when that is unset; 0x0600 (Vista) is the lowest it accepts.
# WITH_LIBBSD=OFF: otherwise its pkg-config probe finds the *host* libbsd.
# ENABLE_CURVE=OFF: Harbrook uses no CURVE security, and libzmq's built-in
# tweetnacl defines crypto_* functions that clash with libsodium's at link time.
# ZMQ_HAVE_IPC=OFF: mingw-w64 ships afunix.h, so libzmq's probe turns on ipc://,
# but its ipc code then includes <sys/socket.h> unless _MSC_VER: it cannot build.
build zmq "$ZMQ_SRC" -DZMQ_WIN32_WINNT=0x0600 -DZMQ_HAVE_IPC=OFF -DWITH_LIBBSD=OFF \
  -DBUILD_SHARED=OFF -DBUILD_STATIC=ON -DBUILD_TESTS=OFF \
  -DWITH_DOCS=OFF -DWITH_LIBSODIUM=OFF -DENABLE_CURVE=OFF -DENABLE_DRAFTS=OFF \
  -DENABLE_CPACK=OFF -DENABLE_PRECOMPILED=OFF

step "building libqrencode (static, $TRIPLE)"
build qrencode "$QR_SRC" -DWITH_TOOLS=OFF -DWITH_TESTS=OFF

step "building libsodium (static, $TRIPLE)"
# Autotools, not CMake, and Debian's source comes without the generated
# configure script (Debian's own build runs autoreconf too). --disable-ssp:
# with -fstack-protector every program that links the archive would need
# mingw's libssp as well.
(
  b=$WORK/build-sodium
  echo "=== sodium: autoreconf" >>"$LOG"
  (cd "$SODIUM_SRC" && autoreconf -fi) >>"$LOG" 2>&1
  mkdir -p "$b" && cd "$b"
  echo "=== sodium: configure" >>"$LOG"
  "$SODIUM_SRC/configure" --host="$TRIPLE" --prefix="$PREFIX" --libdir="$PREFIX/lib" \
    --disable-shared --enable-static --disable-ssp --with-pic=no \
    CC="$TRIPLE-gcc-posix" CFLAGS="-O2" >>"$LOG" 2>&1
  echo "=== sodium: build" >>"$LOG"
  nice -n 10 make -j "$JOBS" >>"$LOG" 2>&1
  echo "=== sodium: install" >>"$LOG"
  make install DESTDIR="$STAGE" >>"$LOG" 2>&1
)

step "installing cppzmq headers"
install -m 644 /usr/include/zmq.hpp /usr/include/zmq_addon.hpp "$STAGE$PREFIX/include/"

step "checking the archives"
for lib in libzmq.a libqrencode.a libsodium.a; do
  f=$STAGE$PREFIX/lib/$lib
  [[ -s $f ]] || { echo "missing $f; lib/ holds: $(ls "$STAGE$PREFIX/lib")" >>"$LOG"; false; }
  # Must be COFF x86-64 objects.
  fmt=$("$TRIPLE-objdump" -f "$f" 2>>"$LOG" | awk '/file format/ {print $NF}' | sort -u)
  [[ $fmt == pe-x86-64 ]] || { echo "$f: object formats '$fmt', want pe-x86-64" >>"$LOG"; false; }
done

step "installing into $PREFIX"
{
  echo "key=$KEY"
  echo "recipe_rev=$RECIPE_REV"
  echo "zeromq3=$ZMQ_SRC_VERSION qrencode=$QRENCODE_SRC_VERSION libsodium=$SODIUM_SRC_VERSION cppzmq-dev=$CPPZMQ_VERSION"
  sed 's/^/source: /' "$WORK/provenance"
  echo "compiler=$("$TRIPLE-g++-posix" --version | head -n1)"
  echo "built=$(date -u +%Y-%m-%dT%H:%M:%SZ) in $((SECONDS - start))s"
} >"$STAGE$PREFIX/.harbrook-win-deps.stamp"
cp "$LOG" "$STAGE$PREFIX/build.log"
rm -rf "$PREFIX.tmp" "$PREFIX"
mv "$STAGE$PREFIX" "$PREFIX.tmp"
mv "$PREFIX.tmp" "$PREFIX"

step "done in $((SECONDS - start))s"
echo "$PREFIX"
