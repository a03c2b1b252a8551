# Warnings, sanitizers and the small helpers every CMakeLists of the tree uses.

add_compile_options(-Wall -Wextra -Wpedantic -Werror)

if(QUARO_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(QUARO_SANITIZE)
  # The checked standard library aborts on an index past a std::array or vector, which
  # AddressSanitizer misses while the write stays inside its object.
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined -D_GLIBCXX_ASSERTIONS)
  add_link_options(-fsanitize=address,undefined)
endif()

# quaro_add_library(<name> [QT] SOURCES ... DEPENDS ...)
# A layer library. Only libraries marked QT may link Qt; the others are checked at configure time.
function(quaro_add_library name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  quaro_check_layer_order(${name} ${ARG_DEPENDS})
  # libcurl and its TLS libraries stay resident once loaded, so only the fetch helper's client
  # may bring them in; the application runs its transfers in that helper.
  if("CURL::libcurl" IN_LIST ARG_DEPENDS AND NOT name STREQUAL "quaro_http")
    message(FATAL_ERROR "${name} must not link libcurl: transfers go through quaro_http's helper")
  endif()
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
  else()
    foreach(dep IN LISTS ARG_DEPENDS)
      if(dep MATCHES "^Qt6?::")
        message(FATAL_ERROR "${name} is a Qt-free layer and must not link ${dep}")
      endif()
    endforeach()
  endif()
endfunction()

# quaro_add_test(<name> SOURCES ... DEPENDS ...)
# One GoogleTest program; its cases are registered with CTest one by one.
function(quaro_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} quaro_testsupport GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# quaro_add_benchmark(<name> SOURCES ... DEPENDS ...)
function(quaro_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} benchmark::benchmark_main)
endfunction()

if(QUARO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUARO_FUZZ needs clang (configure with CXX=clang++ CC=clang)")
  endif()
  # Libraries get coverage instrumentation; only the fuzz programs link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# quaro_add_fuzzer(<name> SOURCES ... DEPENDS ... CORPUS <folder> [OPTIONS <libFuzzer flags>])
# A libFuzzer program; scripts/fuzz runs it for a bounded time over a copy of its seed corpus,
# with OPTIONS (for example a tighter -rss_limit_mb) after its own flags.
function(quaro_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;DEPENDS;OPTIONS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  list(JOIN ARG_OPTIONS " " options)
  file(APPEND "${CMAKE_BINARY_DIR}/fuzzers.txt" "${name} ${ARG_CORPUS} ${options}\n")
endfunction()

# Layers from the bottom up; a layer may use only the ones before it. src/ and tests/ add the
# folder of each layer that has a CMakeLists.txt.
set(QUARO_LAYERS platform device sim profiles devices update osconf)
set(QUARO_QT_LAYERS ui panels pages shell app)

# quaro_check_layer_order(<library> <dependency>...)
# Refuses a dependency of a layer library on its own layer or one above it.
function(quaro_check_layer_order name)
  set(order ${QUARO_LAYERS} ${QUARO_QT_LAYERS})
  string(REGEX REPLACE "^quaro_" "" layer "${name}")
  list(FIND order "${layer}" own)
  if(own LESS 0)
    return()
  endif()
  foreach(dep IN LISTS ARGN)
    if(dep MATCHES "^quaro_(.+)$")
      list(FIND order "${CMAKE_MATCH_1}" other)
      if(other GREATER_EQUAL own)
        message(FATAL_ERROR "${name} must not use ${dep}: layer ${CMAKE_MATCH_1} is not below ${layer}")
      endif()
    endif()
  endforeach()
endfunction()

function(quaro_add_layer_folders)
  set(layers ${QUARO_LAYERS})
  if(QUARO_BUILD_UI)
    list(APPEND layers ${QUARO_QT_LAYERS})
  endif()
  foreach(layer IN LISTS layers)
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${layer}/CMakeLists.txt")
      add_subdirectory(${layer})
    endif()
  endforeach()
endfunction()
