# No system package carries GoogleTest for a cross target: build the distribution's sources with the same
# toolchain into the build tree, once, and point find_package at the result.
set(TQCORE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources built for cross targets")
set(_gtest_prefix ${CMAKE_BINARY_DIR}/_deps/googletest)
if(NOT EXISTS ${_gtest_prefix}/lib/cmake/GTest/GTestConfig.cmake)
  message(STATUS "Building GoogleTest for ${CMAKE_SYSTEM_NAME} from ${TQCORE_GTEST_SOURCE}")
  set(_gtest_launcher)
  if(CMAKE_CXX_COMPILER_LAUNCHER)
    set(_gtest_launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${TQCORE_GTEST_SOURCE} -B ${_gtest_prefix}-build -G ${CMAKE_GENERATOR}
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${_gtest_prefix} ${_gtest_launcher}
    OUTPUT_QUIET RESULT_VARIABLE _gtest_rc)
  if(_gtest_rc EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${_gtest_prefix}-build --target install -j 2
                    OUTPUT_QUIET RESULT_VARIABLE _gtest_rc)
  endif()
  if(NOT _gtest_rc EQUAL 0)
    message(FATAL_ERROR "GoogleTest cross build failed (${_gtest_rc})")
  endif()
endif()
set(GTest_DIR ${_gtest_prefix}/lib/cmake/GTest CACHE PATH "" FORCE)
