# Resources: Windows resource scripts (.rc) compiled by our own vqrc into a
# resource table that the module carries (see platform/src/resource).
#
# vq_add_resources(<target> <script.rc>)
#   compiles the script into <target>, which then carries the resources of
#   that script (one script per target).
# vq_add_resource_module(<name> <script.rc> [NO_INSTALL])
#   a resource-only module lib<name>.so that LoadLibraryA("<name>.dll")
#   loads. Installed modules are built beside vqwin, as they are installed,
#   so the loader finds them the same way in the build tree and installed.
add_subdirectory(${PROJECT_SOURCE_DIR}/platform/tools/vqrc ${PROJECT_BINARY_DIR}/platform/tools/vqrc)

function(vq_add_resources target script)
  get_filename_component(abs ${script} ABSOLUTE)
  # The platform finds one resource table per module, so a second script
  # would build and never be reached: it goes into the first by #include.
  get_target_property(earlier ${target} VQ_RESOURCE_SCRIPT)
  if(earlier)
    message(FATAL_ERROR "${target} has resources from ${earlier} already; "
      "#include ${script} in that script instead")
  endif()
  set_target_properties(${target} PROPERTIES VQ_RESOURCE_SCRIPT ${abs})
  get_filename_component(stem ${script} NAME_WE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_resources.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND vqrc -o ${out} -d ${out}.d ${abs}
    DEPENDS vqrc ${abs}
    DEPFILE ${out}.d
    COMMENT "Compiling resources ${script}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  # The table registers itself with the platform library when loaded.
  target_link_libraries(${target} PRIVATE vqwin)
  set_source_files_properties(${out} PROPERTIES
    INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}/platform/src)
endfunction()

function(vq_add_resource_module name script)
  cmake_parse_arguments(A "NO_INSTALL" "" "" ${ARGN})
  add_library(${name} SHARED)
  vq_add_resources(${name} ${script})
  set_target_properties(${name} PROPERTIES LINKER_LANGUAGE CXX INSTALL_RPATH "$ORIGIN")
  if(NOT A_NO_INSTALL)
    set_target_properties(${name} PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY $<TARGET_FILE_DIR:vqwin>)
    install(TARGETS ${name} EXPORT vq_tbl32Targets
      LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
      RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endfunction()
