# zw_add_test(name SOURCES a.cpp ... LIBS lib ...): a GoogleTest executable run under Wine,
# one CTest test per suite (named after the suite). Suites are listed when CTest runs (not
# at build time), so building needs no Wine. They share the run's prefix and display (its
# registry, installed console, data folder, focus), so they take it one at a time; tests
# with a prefix and display of their own run beside them. ZW_NATIVE_BIN tells tests where
# the native simulator is.
function(zw_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set(suites "${CMAKE_CURRENT_BINARY_DIR}/${name}_suites.cmake")
  set(include "${CMAKE_CURRENT_BINARY_DIR}/${name}_include.cmake")
  file(GENERATE OUTPUT "${include}" CONTENT
"if(NOT EXISTS \"${suites}\" OR \"$<TARGET_FILE:${name}>\" IS_NEWER_THAN \"${suites}\")
  execute_process(COMMAND \"${CMAKE_COMMAND}\" \"-DEXE=$<TARGET_FILE:${name}>\"
    \"-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}\" \"-DWORKDIR=${CMAKE_BINARY_DIR}/bin\"
    \"-DOUT=${suites}\" -DTIMEOUT=300 \"-DENVIRONMENT=ZW_NATIVE_BIN=${ZW_NATIVE_BIN}\"
    -DLOCK=wineprefix -P \"${CMAKE_SOURCE_DIR}/cmake/ListTestSuites.cmake\"
    RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    add_test(${name}_NOT_LISTED \"${CMAKE_COMMAND}\" -E false)
  endif()
endif()
if(EXISTS \"${suites}\")
  include(\"${suites}\")
endif()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include}")
endfunction()
