# qv_add_fuzz_target(NAME SOURCES src... LIBS lib...)
#
# Adds the libFuzzer executable fuzz_<NAME> when the tree is configured with
# clang and -DQV_FUZZ=ON; otherwise does nothing. Every target is recorded in
# <build>/fuzz_targets.txt and built by the "fuzz_all" target, which is what
# scripts/test.sh builds and runs. Sources are compiled with QV_FUZZ_MAIN
# defined, so a file can also carry a smoke test for the normal build.
option(QV_FUZZ "Build the libFuzzer targets (clang only)" OFF)
if(QV_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QV_FUZZ needs clang (libFuzzer)")
endif()
if(QV_FUZZ)
  add_custom_target(fuzz_all)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "")
endif()
set(QV_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined)

function(qv_add_fuzz_target name)
  if(NOT QV_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(fuzz_${name} ${F_SOURCES})
  target_compile_definitions(fuzz_${name} PRIVATE QV_FUZZ_MAIN)
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz_${name} PRIVATE ${F_LIBS})
  add_dependencies(fuzz_all fuzz_${name})
  file(APPEND ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${name}\n")
endfunction()
