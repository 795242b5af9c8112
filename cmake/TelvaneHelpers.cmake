# Compiler flags shared by every target of the project.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wshadow=local)
  else()
    add_compile_options(-Wno-gnu-zero-variadic-macro-arguments)
  endif()
  if(TELVANE_WERROR)
    add_compile_options(-Werror)
  endif()
  if(TELVANE_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
  # libFuzzer steers by the coverage of the code under test, not only of the
  # harness: every project target gets the coverage hooks (the sanitizer
  # runtime provides them outside the fuzz targets).
  if(TELVANE_FUZZ)
    if(NOT TELVANE_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      message(FATAL_ERROR "TELVANE_FUZZ needs clang and TELVANE_SANITIZE")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
endif()

# Every subsystem folder builds one static library named telvane_<folder>.
function(telvane_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# One QtTest executable per unit, run headless by ctest.
# telvane_add_qtest(<name> SOURCES ... LIBS ... [TIMEOUT s] [LABELS ...])
function(telvane_add_qtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt5::Test ${ARG_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    LABELS "${ARG_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# Adds the listed subfolders of the current folder that exist and that the
# build wants (TELVANE_ONLY); all but pixrun need the Qt program's build.
function(telvane_add_folders)
  foreach(dir IN LISTS ARGN)
    telvane_wants(${dir} want)
    if(want AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt
       AND (dir STREQUAL "pixrun" OR TELVANE_GUI))
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
