# Installation: shared libraries, public headers (the platform headers go to
# include/vqwin so they never shadow a system's own), a CMake package giving
# vq::<library> targets, and one relocatable pkg-config file per library.
include(CMakePackageConfigHelpers)

get_property(vq_libs GLOBAL PROPERTY VQ_INSTALLED_LIBRARIES)

install(TARGETS ${vq_libs} EXPORT vq_tbl32Targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.h")
install(DIRECTORY platform/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vqwin
  FILES_MATCHING PATTERN "*.h")

set(vq_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/vq_tbl32)
install(EXPORT vq_tbl32Targets NAMESPACE vq:: DESTINATION ${vq_cmake_dir})
configure_package_config_file(cmake/vq_tbl32Config.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/vq_tbl32Config.cmake INSTALL_DESTINATION ${vq_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/vq_tbl32ConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vq_tbl32Config.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/vq_tbl32ConfigVersion.cmake
        DESTINATION ${vq_cmake_dir})

# pkg-config files find their prefix from their own place, so a package
# installed with --prefix anywhere works without rewriting.
file(RELATIVE_PATH vq_pc_to_prefix
  /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
foreach(lib ${vq_libs})
  get_target_property(vq_pc_description ${lib} VQ_DESCRIPTION)
  get_target_property(vq_pc_deps ${lib} VQ_PC_REQUIRES)
  set(vq_pc_requires "")
  foreach(dep ${vq_pc_deps})
    string(REPLACE "vq::" "" dep "${dep}")
    string(APPEND vq_pc_requires " ${dep}")
  endforeach()
  string(STRIP "${vq_pc_requires}" vq_pc_requires)
  set(vq_pc_name ${lib})
  configure_file(cmake/vq.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${lib}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${lib}.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
