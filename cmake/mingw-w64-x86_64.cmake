# CMake toolchain file: cross-compile for 64-bit Windows with Debian's mingw-w64
# (posix thread model, so std::thread / std::mutex work) and run the results
# with wine64.
#
# Usage:
#   cmake -S . -B build-win \
#     -DCMAKE_TOOLCHAIN_FILE=<this file> \
#     -DHARBROOK_WIN_DEPS_PREFIX="$(scripts/win-deps.sh | tail -n1)"
#
# HARBROOK_WIN_DEPS_PREFIX may also come from the environment variable of the
# same name.  It is the install prefix made by scripts/win-deps.sh (static
# libzmq, static libqrencode, cppzmq headers).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_hb_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_hb_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_hb_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_hb_triple}-windres)
set(CMAKE_AR           ${_hb_triple}-ar     CACHE FILEPATH "")
set(CMAKE_RANLIB       ${_hb_triple}-ranlib CACHE FILEPATH "")

# Deps prefix: cache variable, falling back to the environment.
if(NOT HARBROOK_WIN_DEPS_PREFIX AND DEFINED ENV{HARBROOK_WIN_DEPS_PREFIX})
  set(HARBROOK_WIN_DEPS_PREFIX "$ENV{HARBROOK_WIN_DEPS_PREFIX}")
endif()
set(HARBROOK_WIN_DEPS_PREFIX "${HARBROOK_WIN_DEPS_PREFIX}" CACHE PATH
    "Prefix with the Windows third-party libraries (output of scripts/win-deps.sh)")
# try_compile() projects re-read this file; hand the prefix down to them too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES HARBROOK_WIN_DEPS_PREFIX)

# Search only the target's roots for headers, libraries and packages; host
# programs (moc-like tools, python, ...) are still found on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${_hb_triple})
if(HARBROOK_WIN_DEPS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH "${HARBROOK_WIN_DEPS_PREFIX}")
  list(APPEND CMAKE_PREFIX_PATH "${HARBROOK_WIN_DEPS_PREFIX}")
endif()
# Host pkg-config must not report host (Linux) libraries: point it at the
# target's .pc directories only (FindPkgConfig / pkg_check_modules).
set(_hb_pc_dirs "/usr/${_hb_triple}/lib/pkgconfig")
if(HARBROOK_WIN_DEPS_PREFIX)
  list(PREPEND _hb_pc_dirs "${HARBROOK_WIN_DEPS_PREFIX}/lib/pkgconfig")
endif()
string(REPLACE ";" ":" _hb_pc_dirs "${_hb_pc_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${_hb_pc_dirs}")
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# (No CMAKE_FIND_LIBRARY_SUFFIXES here: Platform/Windows-GNU.cmake resets it
# after this file is read.  The deps prefix holds static archives only.)

# Link libgcc, libstdc++ and libwinpthread statically so the .exe runs under
# wine (or on Windows) without copying any mingw DLL next to it.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Let ctest / gtest_discover_tests / try_run execute .exe files through wine.
get_filename_component(_hb_wrapper "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_hb_wrapper}" CACHE FILEPATH
    "Runs Windows executables on the build host")
