# One INTERFACE target carries the compile settings every Harbrook target shares.
add_library(harbrook_flags INTERFACE)
target_compile_features(harbrook_flags INTERFACE cxx_std_20)
target_compile_options(harbrook_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
if(HARBROOK_WERROR)
  target_compile_options(harbrook_flags INTERFACE -Werror)
endif()
target_include_directories(harbrook_flags INTERFACE ${PROJECT_SOURCE_DIR})

if(HARBROOK_SANITIZE STREQUAL "address")
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(HARBROOK_SANITIZE STREQUAL "fuzzer")
  # clang only: coverage for libFuzzer in every library; the fuzz targets
  # themselves link the fuzzer's main (tests/fuzz).
  set(_san -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
           -fno-omit-frame-pointer)
elseif(HARBROOK_SANITIZE STREQUAL "thread")
  set(_san -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT HARBROOK_SANITIZE STREQUAL "")
  message(FATAL_ERROR "HARBROOK_SANITIZE must be empty, 'address', 'thread' or 'fuzzer'")
endif()
if(HARBROOK_SANITIZE STREQUAL "address" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 sees uninitialised members inside libstdc++'s own std::regex once
  # ASan instruments it; the warning is about the library, not our code.
  list(APPEND _san -Wno-maybe-uninitialized)
endif()
if(_san)
  target_compile_options(harbrook_flags INTERFACE ${_san})
  target_link_options(harbrook_flags INTERFACE ${_san})
endif()

# Chooses platform/<name>_posix.cpp or platform/<name>_win32.cpp for the target.
if(WIN32)
  set(HARBROOK_PLATFORM_SUFFIX win32)
else()
  set(HARBROOK_PLATFORM_SUFFIX posix)
endif()
