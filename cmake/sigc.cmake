# libsigc++ 2.0 as a static library from the sources scripts/setup prepared.
set(ZW_SIGC_DIR ${ZW_DEPS_DIR}/sigc)
if(NOT EXISTS ${ZW_SIGC_DIR}/.done)
  message(FATAL_ERROR "libsigc++ sources missing in ${ZW_SIGC_DIR}: run scripts/setup")
endif()
add_library(sigc STATIC
  ${ZW_SIGC_DIR}/sigc++/trackable.cc
  ${ZW_SIGC_DIR}/sigc++/signal_base.cc
  ${ZW_SIGC_DIR}/sigc++/connection.cc
  ${ZW_SIGC_DIR}/sigc++/functors/slot_base.cc
  ${ZW_SIGC_DIR}/generated/sigc++/adaptors/lambda/lambda.cc)
target_compile_definitions(sigc PRIVATE SIGC_BUILD)
target_compile_options(sigc PRIVATE -w)
target_include_directories(sigc SYSTEM PUBLIC ${ZW_SIGC_DIR}/generated ${ZW_SIGC_DIR})
