# Helpers that give every library, test, benchmark and fuzzer of the project
# the same warnings, sanitizers and layout.

if(VQ_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzz builds instrument every library for coverage, not only the fuzz
# targets: the parsers they reach live in the libraries.
if(VQ_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

set(VQ_WARNINGS -Wall -Wextra -Werror)
# GCC 12 at -O3 reports overlapping copies inside libstdc++'s own string
# concatenation (a known false positive of its -Wrestrict); it would fail
# every optimised build that joins strings.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND VQ_WARNINGS -Wno-restrict)
endif()

# Tests write screenshots and other evidence of failures here.
set(VQ_TEST_OUTPUT ${CMAKE_BINARY_DIR}/test-output)
file(MAKE_DIRECTORY ${VQ_TEST_OUTPUT})

# vq_add_library(<name> EXPORT_MACRO <macro> DESCRIPTION <text> SOURCES ...
#                [DEPS ...] [PRIVATE_DEPS ...] [INCLUDES ...])
# DEPS are our own libraries (they become the pkg-config Requires);
# PRIVATE_DEPS are outside libraries the shared library hides.
# Builds <name>_objects (an OBJECT library white-box tests may link instead of
# the shared library) and the shared library <name>, exporting only what the
# public headers mark for export.
function(vq_add_library name)
  cmake_parse_arguments(A "" "EXPORT_MACRO;DESCRIPTION" "SOURCES;DEPS;PRIVATE_DEPS;INCLUDES" ${ARGN})
  add_library(${name}_objects OBJECT ${A_SOURCES})
  target_compile_options(${name}_objects PRIVATE ${VQ_WARNINGS})
  target_compile_definitions(${name}_objects PRIVATE ${A_EXPORT_MACRO})
  target_include_directories(${name}_objects PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/platform/include>
    PRIVATE ${A_INCLUDES})
  target_link_libraries(${name}_objects PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})

  add_library(${name} SHARED $<TARGET_OBJECTS:${name}_objects>)
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/platform/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/vqwin>)
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN"
    VQ_DESCRIPTION "${A_DESCRIPTION}"
    VQ_PC_REQUIRES "${A_DEPS}")
  add_library(vq::${name} ALIAS ${name})
  set_property(GLOBAL APPEND PROPERTY VQ_INSTALLED_LIBRARIES ${name})
endfunction()

# vq_add_test(<name> SOURCES ... LIBS ...)
# One GoogleTest binary; each test case becomes a CTest test.
function(vq_add_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${VQ_WARNINGS})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "VQ_TEST_OUTPUT=${VQ_TEST_OUTPUT}")
endfunction()

# vq_add_benchmark(<name> SOURCES ... LIBS ...)
function(vq_add_benchmark name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${VQ_WARNINGS})
  target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark)
  # bench/common holds what every benchmark shares (the ratio reporter).
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endfunction()

# vq_add_fuzzer(<name> SOURCES ... LIBS ... CORPUS <dir> [DICT <file>])
# With VQ_FUZZ the target is a libFuzzer binary, listed with its corpus and
# dictionary in fuzz-targets.tsv of the build folder (scripts/fuzz reads it).
# Without it the same entry point is linked to a replay driver and every
# corpus file is run as a test, so each fuzz target also guards against
# regressions in the normal build.
function(vq_add_fuzzer name)
  cmake_parse_arguments(A "" "CORPUS;DICT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE ${VQ_WARNINGS})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  if(VQ_FUZZ)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    file(RELATIVE_PATH binary ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/${name})
    file(APPEND ${CMAKE_BINARY_DIR}/fuzz-targets.tsv "${name}\t${binary}\t${A_CORPUS}\t${A_DICT}\n")
  else()
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    if(VQ_TESTS)
      add_test(NAME fuzz_replay.${name} COMMAND ${name} ${A_CORPUS})
    endif()
  endif()
endfunction()
