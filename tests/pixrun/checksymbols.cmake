# Fails unless LIBRARY exports exactly RleEncode, RleEncodeFromData, RleDecode,
# RleDecodeToData and FreeBuffer, and the pixrun tool's PixrunLastReport and
# PixrunDescribeStream.
execute_process(COMMAND nm -D --defined-only ${LIBRARY} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-f]+ [A-Za-z] [^\n]+" lines "${out}")
set(names)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-f]+ [A-Za-z] ([^@\n]+).*$" "\\1" name "${line}")
  list(APPEND names ${name})
endforeach()
list(SORT names)
set(expected FreeBuffer PixrunDescribeStream PixrunLastReport RleDecode RleDecodeToData RleEncode
  RleEncodeFromData)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}\nexpected: ${expected}")
endif()
message(STATUS "exports: ${names}")
