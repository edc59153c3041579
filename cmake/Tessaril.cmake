# Shared build settings and helpers for the project's targets.

set(TESSARIL_CORPUS_DIR "${PROJECT_SOURCE_DIR}/../shared/corpus"
    CACHE PATH "Folder of real data files used by the corpus tests")

add_library(tessaril_options INTERFACE)
target_compile_options(tessaril_options INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual)
if(TESSARIL_WERROR)
  target_compile_options(tessaril_options INTERFACE -Werror)
endif()
if(TESSARIL_SANITIZE)
  target_compile_options(tessaril_options INTERFACE
    -fsanitize=${TESSARIL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(tessaril_options INTERFACE -fsanitize=${TESSARIL_SANITIZE})
endif()

# tessaril_library(NAME SOURCES ... DEPS ...): one static library per source folder.
function(tessaril_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(tessaril_${name} STATIC ${ARG_SOURCES})
  add_library(tessaril::${name} ALIAS tessaril_${name})
  target_include_directories(tessaril_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(tessaril_${name} PUBLIC tessaril_options ${ARG_DEPS})
endfunction()

# tessaril_test(NAME SOURCES ... DEPS ...): one GoogleTest binary per layer, run by ctest.
function(tessaril_test name)
  if(NOT TESSARIL_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tessaril_options tessaril::testing ${ARG_DEPS}
                        GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TESSARIL_CORPUS=${TESSARIL_CORPUS_DIR}")
endfunction()

# tessaril_fast_allocator(TARGET): the programs allocate from jemalloc, linked
# in statically, where Debian's libjemalloc-dev is installed. A walk renders
# rows on worker threads and frees them on the thread that writes them; the
# system allocator serialises those frees on its arena locks. Sanitizer
# builds keep the allocator their tools replace.
find_library(TESSARIL_JEMALLOC NAMES libjemalloc_pic.a)
function(tessaril_fast_allocator target)
  if(TESSARIL_SANITIZE)
    return()
  endif()
  if(NOT TESSARIL_JEMALLOC)
    message(STATUS "${target}: jemalloc not found, the system allocator is used")
    return()
  endif()
  find_package(Threads REQUIRED)
  target_link_libraries(${target} PRIVATE ${TESSARIL_JEMALLOC} Threads::Threads ${CMAKE_DL_LIBS} m)
endfunction()
