# System libraries the platform layer needs, per OS.
if(WIN32)
  set(TQCORE_PLATFORM_LIBS winmm ole32 oleaut32 rpcrt4 shell32 user32 uuid advapi32)
else()
  set(TQCORE_PLATFORM_LIBS ${CMAKE_DL_LIBS})
endif()
