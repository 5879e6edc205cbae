# Warnings are errors everywhere in the project's own code.
function(tqcore_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unused-parameter)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 at -O3 reports overlapping copies inside its own std::string concatenation that cannot happen.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
