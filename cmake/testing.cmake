# zw_add_test(name SOURCES a.cpp ... LIBS lib ...): a GoogleTest executable run under
# Wine. Tests are listed when CTest runs (not at build time), so building needs no Wine.
# ZW_NATIVE_BIN tells tests where the native simulator is.
function(zw_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 600
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES TIMEOUT 300 ENVIRONMENT "ZW_NATIVE_BIN=${ZW_NATIVE_BIN}")
endfunction()
