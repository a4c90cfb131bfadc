cmake_policy(SET CMP0057 NEW)
# cmake -DMODE=<mode> -DINPUT=res/strings/<language>.txt -DOUTPUT=<file> -P GenerateStrings.cmake
#
# Every text is typed once, in a string source under res/strings/: one entry
# a line, ID "text", where the text is a C string body (\" a quote, \\ a
# backslash, \r\n a line break, \t a tab); blank lines and # comments are
# skipped. A line may name its string, ID Name "text": the code then says
# kStrName (locale/string_ids.h). The program's own table names every string
# (the code never types an id as a number: scripts/check-string-ids.py); the
# language sources need no names. From one source this makes, by MODE:
#   table    C++ initialiser lines {ID, "text"} (the program's own table) and,
#            given IDS_OUTPUT, the header of the named ids
#   rc       a Windows resource script with one STRINGTABLE (UTF-8), for a
#            resource-only language DLL
#   catalog  the compiled catalogue of the POSIX build (format in
#            platform/string_catalogue.h)
# The output is replaced only when it changes.

if(NOT MODE MATCHES "^(table|rc|catalog)$")
  message(FATAL_ERROR "GenerateStrings.cmake: MODE must be table, rc or catalog")
endif()

file(READ "${INPUT}" content)
# Keep CMake's list handling away from the texts: semicolons split lists and
# square brackets stop the splitting.
string(REPLACE ";" "@SEMI@" content "${content}")
string(REPLACE "[" "@LBR@" content "${content}")
string(REPLACE "]" "@RBR@" content "${content}")
string(REPLACE "\r" "" content "${content}")
string(REPLACE "\n" ";" lines "${content}")

function(restore var text)
  string(REPLACE "@SEMI@" ";" text "${text}")
  string(REPLACE "@LBR@" "[" text "${text}")
  string(REPLACE "@RBR@" "]" text "${text}")
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

function(pad10 var number)
  string(LENGTH "${number}" n)
  math(EXPR fill "10 - ${n}")
  string(REPEAT "0" ${fill} zeros)
  set(${var} "${zeros}${number}" PARENT_SCOPE)
endfunction()

set(keys "")
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*(#.*)?$")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9]+)[ \t]+([A-Za-z][A-Za-z0-9]*[ \t]+)?\"(.*)\"[ \t]*$")
    restore(shown "${line}")
    message(FATAL_ERROR "${INPUT}: cannot read line: ${shown}")
  endif()
  set(id "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" name)
  set(body "${CMAKE_MATCH_3}")
  if(id GREATER 65535)
    message(FATAL_ERROR "${INPUT}: string id ${id} is above 65535")
  endif()
  pad10(key "${id}")
  if(key IN_LIST keys)
    message(FATAL_ERROR "${INPUT}: string ${id} is defined twice")
  endif()
  list(APPEND keys "${key}")
  set(body_${key} "${body}")
  set(id_${key} "${id}")
  set(name_${key} "${name}")
endforeach()
list(SORT keys)

set(out "")
if(MODE STREQUAL "table")
  string(APPEND out "// Generated from ${INPUT}; edit that file instead.\n")
  foreach(key IN LISTS keys)
    restore(text "${body_${key}}")
    string(APPEND out "{${id_${key}}, \"${text}\"},\n")
  endforeach()
  if(DEFINED IDS_OUTPUT)
    set(ids "// Generated from ${INPUT}; edit that file instead.\n#pragma once\n\nnamespace harbrook {\n\n")
    foreach(key IN LISTS keys)
      if(name_${key} STREQUAL "")
        message(FATAL_ERROR "${INPUT}: string ${id_${key}} has no name (ID Name \"text\")")
      endif()
      string(APPEND ids "inline constexpr unsigned kStr${name_${key}} = ${id_${key}};\n")
    endforeach()
    string(APPEND ids "\n}  // namespace harbrook\n")
    # Written only when changed, so that a new text rebuilds no code.
    file(WRITE "${IDS_OUTPUT}.tmp" "${ids}")
    file(COPY_FILE "${IDS_OUTPUT}.tmp" "${IDS_OUTPUT}" ONLY_IF_DIFFERENT)
    file(REMOVE "${IDS_OUTPUT}.tmp")
  endif()
elseif(MODE STREQUAL "rc")
  string(APPEND out "// Generated from ${INPUT}; edit that file instead.\n")
  string(APPEND out "#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n")
  foreach(key IN LISTS keys)
    restore(text "${body_${key}}")
    # Resource scripts write a quote inside a string as two quotes.
    string(REPLACE "\\\"" "\"\"" text "${text}")
    string(APPEND out "  ${id_${key}}, L\"${text}\"\n")
  endforeach()
  string(APPEND out "END\n")
else()
  set(index "")
  set(blob "")
  set(count 0)
  set(offset 0)
  foreach(key IN LISTS keys)
    restore(text "${body_${key}}")
    # C escapes to the bytes they stand for; \\ first out of the way.
    string(REPLACE "\\\\" "@BACKSLASH@" text "${text}")
    string(REPLACE "\\\"" "\"" text "${text}")
    string(REPLACE "\\r" "\r" text "${text}")
    string(REPLACE "\\n" "\n" text "${text}")
    string(REPLACE "\\t" "\t" text "${text}")
    if(text MATCHES "\\\\")
      message(FATAL_ERROR "${INPUT}: string ${id_${key}} has an escape other than \\\" \\\\ \\r \\n \\t")
    endif()
    string(REPLACE "@BACKSLASH@" "\\" text "${text}")
    string(LENGTH "${text}" length)  # bytes
    pad10(o "${offset}")
    pad10(l "${length}")
    string(APPEND index "${key} ${o} ${l}\n")
    string(APPEND blob "${text}")
    math(EXPR offset "${offset} + ${length}")
    math(EXPR count "${count} + 1")
  endforeach()
  pad10(c "${count}")
  set(out "HARBROOK-STRINGS 1\n${c}\n${index}${blob}")
endif()

file(WRITE "${OUTPUT}.tmp" "${out}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
