# clang-tidy over the sources this build compiles, as the test tidy.<build>, with the checks of the
# repository's .clang-tidy files. The host build covers the portable code, the simulator and the
# unit tests; the 64-bit Windows build covers the Windows-only code and the Wine tests, analysed by
# clang for the mingw-w64 target with the cross compiler's own headers. The 32-bit build compiles
# the same sources against the same headers, so it is not analysed a second time.
find_program(KIT_PYTHON NAMES python3 REQUIRED)
cmake_host_system_information(RESULT kit_tidy_jobs QUERY NUMBER_OF_LOGICAL_CORES)

set(kit_tidy_args)
if(NOT WIN32)
  set(kit_tidy_name tidy.host)
elseif(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(kit_tidy_name tidy.win64)
  # clang finds mingw-w64's C headers by the target, but not the cross g++'s libstdc++, whose
  # folder Debian names after the thread model ("12-win32"); it is given the compiler's own.
  list(APPEND kit_tidy_args --extra-arg-before=--target=${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32
       --extra-arg=-nostdinc++)
  foreach(dir IN LISTS CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES)
    if(dir MATCHES "/c\\+\\+")
      list(APPEND kit_tidy_args --extra-arg=-isystem${dir})
    endif()
  endforeach()
else()
  return()
endif()

add_test(NAME ${kit_tidy_name}
         COMMAND ${KIT_PYTHON} ${PROJECT_SOURCE_DIR}/scripts/clang-tidy.py
                 --build ${CMAKE_BINARY_DIR} --source ${PROJECT_SOURCE_DIR}
                 --jobs ${kit_tidy_jobs} ${kit_tidy_args})
# It keeps every core busy; 77 means clang-tidy is not installed.
set_tests_properties(${kit_tidy_name} PROPERTIES
    PROCESSORS ${kit_tidy_jobs}
    SKIP_RETURN_CODE 77
    TIMEOUT 1200)
