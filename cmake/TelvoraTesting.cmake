# GoogleTest for every build: Debian's package natively, its sources compiled by the cross
# compiler inside each Windows build tree.
if(CMAKE_CROSSCOMPILING)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # googletest 1.11 and later name their targets GTest::... themselves.
  if(NOT TARGET GTest::gtest)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# telvora_wine_test_properties(test PROPERTY value ...): a test run under Wine, in the prefix and
# on the display of this tree, in its bitness; exit code 77 (a 32-bit test without 32-bit Wine)
# reports it skipped. Each property given is set, FIXTURES_REQUIRED appended to.
function(telvora_wine_test_properties test)
  set_tests_properties(${test} PROPERTIES ENVIRONMENT "${TELVORA_WINE_ENVIRONMENT}" SKIP_RETURN_CODE 77)
  cmake_parse_arguments(P "" "" "FIXTURES_REQUIRED" ${ARGN})
  if(P_FIXTURES_REQUIRED)
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED ${P_FIXTURES_REQUIRED})
  endif()
  if(P_UNPARSED_ARGUMENTS)
    set_tests_properties(${test} PROPERTIES ${P_UNPARSED_ARGUMENTS})
  endif()
endfunction()

# Cross builds run their tests under Wine, each tree in its own bitness (TELVORA_WINE_BITS, set by
# the toolchain file): one private Wine prefix, created fresh before the first Windows test and its
# wine server stopped after the last, with a virtual display for the dialog tests. The display
# number comes from the build tree's path, so two build trees do not share one. The two trees'
# tests have distinct names: the 32-bit ones end in TELVORA_TEST_SUFFIX ("_i686").
if(CMAKE_CROSSCOMPILING)
  if(TELVORA_WINE_BITS EQUAL 32)
    set(TELVORA_TEST_SUFFIX _i686)
  else()
    set(TELVORA_TEST_SUFFIX "")
  endif()
  string(MD5 tree_hash "${CMAKE_BINARY_DIR}")
  string(SUBSTRING "${tree_hash}" 0 3 tree_hash)
  math(EXPR TELVORA_DISPLAY_NUMBER "100 + 0x${tree_hash} % 800")
  set(TELVORA_WINE_ENVIRONMENT
      "WINEDEBUG=-all;WINEPREFIX=${TELVORA_WINEPREFIX};WINEDLLOVERRIDES=mscoree,mshtml=;DISPLAY=:${TELVORA_DISPLAY_NUMBER};TELVORA_WINE_BITS=${TELVORA_WINE_BITS}")
  add_test(NAME wine_prefix_create${TELVORA_TEST_SUFFIX} COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh create ${TELVORA_WINEPREFIX})
  add_test(NAME wine_prefix_stop${TELVORA_TEST_SUFFIX} COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh stop ${TELVORA_WINEPREFIX})
  telvora_wine_test_properties(wine_prefix_create${TELVORA_TEST_SUFFIX} FIXTURES_SETUP wineprefix TIMEOUT 120)
  telvora_wine_test_properties(wine_prefix_stop${TELVORA_TEST_SUFFIX} FIXTURES_CLEANUP wineprefix TIMEOUT 60)
endif()

# telvora_add_test(name SOURCES ... LIBS ...): one GoogleTest program. Natively each test case is
# its own CTest entry; cross-built programs are one entry each, run under Wine (name + suffix). A
# program that dies under Wine may still exit with 0, so it passes only on GoogleTest's own summary.
function(telvora_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  else()
    add_test(NAME ${name}${TELVORA_TEST_SUFFIX} COMMAND ${name} --gtest_brief=1)
    telvora_wine_test_properties(${name}${TELVORA_TEST_SUFFIX} FIXTURES_REQUIRED wineprefix
                                 PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
                                 FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
  endif()
endfunction()
