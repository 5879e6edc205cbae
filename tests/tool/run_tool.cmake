# Runs the tqcore program once and checks its exit code and output.
# -DTOOL=<program> -DARGS=<|-list> -DEXPECT_RC=<n> [-DEXPECT_OUT=<regex>] [-DEXPECT_ERR=<regex>] [-DEMULATOR=<|-list>]
string(REPLACE "|" ";" ARGS "${ARGS}")
string(REPLACE "|" ";" EMULATOR "${EMULATOR}")
execute_process(COMMAND ${EMULATOR} ${TOOL} ${ARGS} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc STREQUAL EXPECT_RC)
  message(FATAL_ERROR "tqcore ${ARGS}: exit code ${rc}, expected ${EXPECT_RC}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED EXPECT_OUT AND NOT out MATCHES "${EXPECT_OUT}")
  message(FATAL_ERROR "tqcore ${ARGS}: standard output does not match ${EXPECT_OUT}:\n${out}")
endif()
if(DEFINED EXPECT_ERR AND NOT err MATCHES "${EXPECT_ERR}")
  message(FATAL_ERROR "tqcore ${ARGS}: standard error does not match ${EXPECT_ERR}:\n${err}")
endif()
