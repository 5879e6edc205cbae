include(CMakePackageConfigHelpers)

install(TARGETS tqcore EXPORT tqcoreTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/tqcore DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT tqcoreTargets NAMESPACE tqcore:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tqcore)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/tqcoreConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tqcoreConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tqcore)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tqcoreConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tqcoreConfig.cmake ${PROJECT_BINARY_DIR}/tqcoreConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tqcore)

configure_file(${PROJECT_SOURCE_DIR}/cmake/tqcore.pc.in ${PROJECT_BINARY_DIR}/tqcore.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tqcore.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
