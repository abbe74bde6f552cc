# Shared build settings for the project's own targets.

set(CASTORA_WARNINGS -Wall -Wextra -Werror)

if(CASTORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(CASTORA_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
if(CASTORA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Applies the project's warning policy to one of its own targets.
function(castora_target name)
  target_compile_options(${name} PRIVATE ${CASTORA_WARNINGS})
endfunction()

# castora_test(NAME SOURCES ... LIBS ... [ENV var=value ...] [TIMEOUT s] [LABELS l ...])
# A GoogleTest executable registered with CTest as one test.
function(castora_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  castora_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    CASTORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    CASTORA_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# castora_fuzzer(NAME SOURCES ... LIBS ...)
# A libFuzzer target; built only with CASTORA_FUZZ. The test script runs each for a bounded time.
function(castora_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  castora_target(${name})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzzers)
  add_dependencies(fuzz_all ${name})
endfunction()

# castora_file_version(TARGET VERSION)
# Gives an executable its file version ("A.B.C.D", missing parts 0) as an ELF note that
# the updater reads from the running process.
function(castora_file_version name version)
  string(REPLACE "." ";" parts "${version}")
  list(APPEND parts 0 0 0 0)
  list(SUBLIST parts 0 4 parts)
  list(GET parts 0 major)
  list(GET parts 1 minor)
  list(GET parts 2 build)
  list(GET parts 3 revision)
  target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/platform/file_version_note.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    CASTORA_FILE_VERSION_MAJOR=${major} CASTORA_FILE_VERSION_MINOR=${minor}
    CASTORA_FILE_VERSION_BUILD=${build} CASTORA_FILE_VERSION_REVISION=${revision})
endfunction()
