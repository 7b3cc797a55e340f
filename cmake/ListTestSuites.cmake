# Run by CTest (cmake -P) before the tests: lists a GoogleTest program's suites and writes
# one CTest test per suite to OUT. A suite runs in one process: a Wine start with its
# window libraries costs about a second, paid once a suite rather than once a case.
# In: EXE, EMULATOR, WORKDIR, OUT, TIMEOUT, ENVIRONMENT, LOCK (empty: none).
# A Wine start on a loaded machine failed once (a suite then goes missing from the run):
# the listing is tried a second time before that counts.
foreach(attempt 1 2)
  execute_process(COMMAND ${EMULATOR} ${EXE} --gtest_list_tests
    WORKING_DIRECTORY ${WORKDIR}
    OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE rc TIMEOUT 600)
  if(rc EQUAL 0)
    break()
  endif()
  message(WARNING "${EXE} --gtest_list_tests failed (${rc}) on attempt ${attempt}:\n${errors}")
endforeach()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${EXE} --gtest_list_tests failed (${rc}):\n${listing}\n${errors}")
endif()
string(REPLACE "\r" "" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
set(count 0)
foreach(line IN LISTS lines)
  # A suite's line starts in the first column and ends its name with a dot; a
  # parameterised suite reads "Prefix/Suite.  # TypeParam = ...".
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_/]*)\\.")
    set(suite "${CMAKE_MATCH_1}")
    string(REPLACE "/" "_" name "${suite}")
    string(APPEND script
      "add_test([==[${name}]==] ${EMULATOR} [==[${EXE}]==] [==[--gtest_filter=${suite}.*]==] --gtest_brief=1)\n"
      "set_tests_properties([==[${name}]==] PROPERTIES WORKING_DIRECTORY [==[${WORKDIR}]==] TIMEOUT ${TIMEOUT}"
      " ENVIRONMENT [==[${ENVIRONMENT}]==]"
      # Under Wine a process that crashed, or failed a case, can still end with exit code 0
      # (seen after a crash on a library thread once an earlier case had run): a suite
      # passes only when GoogleTest printed its summary, without a failure or a crash.
      " PASS_REGULAR_EXPRESSION [==[\\[  PASSED  \\] [0-9]+ tests?\\.]==]"
      " FAIL_REGULAR_EXPRESSION [==[\\[  FAILED  \\];Unhandled exception;Unhandled page fault]==]")
    if(LOCK)
      string(APPEND script " RESOURCE_LOCK ${LOCK}")
    endif()
    string(APPEND script ")\n")
    math(EXPR count "${count} + 1")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${EXE} lists no test suites:\n${listing}")
endif()
file(WRITE "${OUT}" "${script}")
