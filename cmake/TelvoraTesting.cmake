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

# Cross builds that run tests: one private Wine prefix, created fresh before the first Windows test
# and its wine server stopped after the last, with a virtual display for the dialog tests. The
# display number comes from the build tree's path, so two build trees do not share one.
if(CMAKE_CROSSCOMPILING AND NOT TELVORA_NO_TEST_RUN)
  string(MD5 tree_hash "${CMAKE_BINARY_DIR}")
  string(SUBSTRING "${tree_hash}" 0 3 tree_hash)
  math(EXPR TELVORA_DISPLAY_NUMBER "100 + 0x${tree_hash} % 800")
  set(TELVORA_WINE_ENVIRONMENT
      "WINEDEBUG=-all;WINEPREFIX=${TELVORA_WINEPREFIX};WINEDLLOVERRIDES=mscoree,mshtml=;DISPLAY=:${TELVORA_DISPLAY_NUMBER}")
  add_test(NAME wine_prefix_create COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh create ${TELVORA_WINEPREFIX})
  add_test(NAME wine_prefix_stop COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh stop ${TELVORA_WINEPREFIX})
  set_tests_properties(wine_prefix_create PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 120
                       ENVIRONMENT "${TELVORA_WINE_ENVIRONMENT}")
  set_tests_properties(wine_prefix_stop PROPERTIES FIXTURES_CLEANUP wineprefix TIMEOUT 60
                       ENVIRONMENT "${TELVORA_WINE_ENVIRONMENT}")
endif()

# telvora_add_test(name SOURCES ... LIBS ...): one GoogleTest program. Natively each test case is
# its own CTest entry; cross-built programs are one entry each, run under Wine where it runs at all.
function(telvora_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  elseif(NOT TELVORA_NO_TEST_RUN)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${TELVORA_WINE_ENVIRONMENT}" FIXTURES_REQUIRED wineprefix)
  endif()
endfunction()
