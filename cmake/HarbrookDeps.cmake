# Third-party libraries: libzmq with cppzmq, libqrencode, libsodium (the update
# signatures), libcurl. On Linux they come from
# pkg-config; a Windows cross-build links the static archives that
# scripts/win-deps.sh puts in its prefix (found through the toolchain file).
find_package(Threads REQUIRED)
if(WIN32)
  find_path(ZMQ_INCLUDE_DIR zmq.h REQUIRED)
  find_path(CPPZMQ_INCLUDE_DIR zmq.hpp REQUIRED)
  find_library(ZMQ_LIBRARY NAMES libzmq.a zmq libzmq REQUIRED)
  add_library(harbrook_zmq INTERFACE)
  target_include_directories(harbrook_zmq INTERFACE ${ZMQ_INCLUDE_DIR} ${CPPZMQ_INCLUDE_DIR})
  # Without ZMQ_STATIC zmq.h declares every function dllimport.
  target_compile_definitions(harbrook_zmq INTERFACE ZMQ_STATIC)
  target_link_libraries(harbrook_zmq INTERFACE ${ZMQ_LIBRARY} ws2_32 iphlpapi rpcrt4)
  find_path(QRENCODE_INCLUDE_DIR qrencode.h REQUIRED)
  find_library(QRENCODE_LIBRARY NAMES libqrencode.a qrencode REQUIRED)
  add_library(harbrook_qrencode INTERFACE)
  target_include_directories(harbrook_qrencode INTERFACE ${QRENCODE_INCLUDE_DIR})
  # libqrencode was built with winpthread mutexes.
  target_link_libraries(harbrook_qrencode INTERFACE ${QRENCODE_LIBRARY} Threads::Threads)
  find_path(SODIUM_INCLUDE_DIR sodium.h REQUIRED)
  find_library(SODIUM_LIBRARY NAMES libsodium.a sodium REQUIRED)
  add_library(harbrook_sodium INTERFACE)
  target_include_directories(harbrook_sodium INTERFACE ${SODIUM_INCLUDE_DIR})
  # Without SODIUM_STATIC sodium.h declares every function dllimport.
  target_compile_definitions(harbrook_sodium INTERFACE SODIUM_STATIC)
  # randombytes uses RtlGenRandom from advapi32.
  target_link_libraries(harbrook_sodium INTERFACE ${SODIUM_LIBRARY} advapi32)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ZMQ REQUIRED IMPORTED_TARGET libzmq)
  pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)
  # The update checker's downloads (WinINet on Windows).
  pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
  pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
  add_library(harbrook_sodium INTERFACE)
  target_link_libraries(harbrook_sodium INTERFACE PkgConfig::SODIUM)
  add_library(harbrook_zmq INTERFACE)
  target_link_libraries(harbrook_zmq INTERFACE PkgConfig::ZMQ)
  add_library(harbrook_qrencode INTERFACE)
  target_link_libraries(harbrook_qrencode INTERFACE PkgConfig::QRENCODE)
endif()

if(HARBROOK_TESTS)
  if(CMAKE_CROSSCOMPILING OR WIN32)
    # The machine's GoogleTest is built for the host; build Debian's source of
    # it for the target instead.
    set(HARBROOK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    add_subdirectory(${HARBROOK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(NOT TARGET GTest::gtest)
      add_library(GTest::gtest ALIAS gtest)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# Qt 6 for the Linux window (ui/qt). Found here so that every folder sees its
# targets; without it the program builds with the console only.
if(NOT WIN32)
  find_package(Qt6 QUIET COMPONENTS Widgets Svg Test)
endif()
