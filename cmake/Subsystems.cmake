# One object library per subsystem, tqcore_<name>, built from source/<name>/*.cpp. A subsystem's headers are
# reachable as "<name>/X.h" only from an include root of its own, in the build tree, that it passes on to the
# subsystems depending on it: an include that crosses the layering finds no file. A subsystem with posix/ and
# win32/ folders builds the one for this OS, whose headers ("<name>/<os>/X.h") stay private to it.

set(TQCORE_LAYER_ROOT ${PROJECT_BINARY_DIR}/layers)
if(WIN32)
  set(TQCORE_OS_DIR win32)
else()
  set(TQCORE_OS_DIR posix)
endif()

# The flags every unit of the library compiles with.
function(tqcore_library_unit target)
  tqcore_warnings(${target})
  target_compile_definitions(${target} PRIVATE TQCORE_BUILDING)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/include)
endfunction()

# Links the headers of folder into root/prefix, replacing whatever an earlier configure left there.
function(tqcore_expose_headers folder root prefix)
  file(REMOVE_RECURSE ${root})
  file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h ${folder}/*.inc)
  file(MAKE_DIRECTORY ${root}/${prefix})
  foreach(header ${headers})
    get_filename_component(leaf ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${prefix}/${leaf} SYMBOLIC COPY_ON_ERROR)
  endforeach()
endfunction()

# tqcore_subsystem(<name> [DEPENDS <subsystem>...] [EXCLUDE <unit>...])
function(tqcore_subsystem name)
  cmake_parse_arguments(S "" "" "DEPENDS;EXCLUDE" ${ARGN})
  set(folder ${PROJECT_SOURCE_DIR}/source/${name})
  set(target tqcore_${name})
  file(GLOB units CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(S_EXCLUDE)
    list(REMOVE_ITEM units ${S_EXCLUDE})
  endif()
  tqcore_expose_headers(${folder} ${TQCORE_LAYER_ROOT}/${name} ${name})
  if(IS_DIRECTORY ${folder}/${TQCORE_OS_DIR})
    file(GLOB os_units CONFIGURE_DEPENDS ${folder}/${TQCORE_OS_DIR}/*.cpp)
    list(APPEND units ${os_units})
    tqcore_expose_headers(${folder}/${TQCORE_OS_DIR} ${TQCORE_LAYER_ROOT}/${name}-${TQCORE_OS_DIR}
                          ${name}/${TQCORE_OS_DIR})
  endif()
  add_library(${target} OBJECT ${units})
  tqcore_library_unit(${target})
  if(NOT WIN32)
    # The library's own calls to its exported functions bind inside it (no PLT hop, inlining allowed; the
    # shared library is linked with -Bsymbolic-functions): a host that interposes one replaces it for its
    # own calls only. The allocation operators, built apart, stay interposable.
    target_compile_options(${target} PRIVATE -fno-semantic-interposition)
  endif()
  target_include_directories(${target} PUBLIC ${TQCORE_LAYER_ROOT}/${name})
  if(os_units)
    target_include_directories(${target} PRIVATE ${TQCORE_LAYER_ROOT}/${name}-${TQCORE_OS_DIR})
  endif()
  foreach(dependency ${S_DEPENDS})
    target_link_libraries(${target} PUBLIC tqcore_${dependency})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY TQCORE_SUBSYSTEMS ${name})
endfunction()

# Declares every subsystem listed in the layering file, lowest first.
function(tqcore_subsystems_from layering)
  cmake_parse_arguments(S "" "" "EXCLUDE" ${ARGN})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${layering})
  file(STRINGS ${layering} lines REGEX "^[a-z0-9_]+:")
  foreach(line ${lines})
    string(REGEX REPLACE ":.*" "" name "${line}")
    string(REGEX REPLACE "^[^:]*:[ ]*" "" dependencies "${line}")
    separate_arguments(dependencies UNIX_COMMAND "${dependencies}")
    tqcore_subsystem(${name} DEPENDS ${dependencies} EXCLUDE ${S_EXCLUDE})
  endforeach()
endfunction()
