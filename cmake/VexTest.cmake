# vex_add_test(NAME name [PREFIX text] [TIMEOUT seconds] SOURCES ... LIBS ... [PROPERTIES ...]):
# one GoogleTest program per folder of tests/. PREFIX tells apart the tests of a program that
# shares its sources with another (the same suites on the window back-end); TIMEOUT replaces the
# preset's limit; PROPERTIES are more test properties for every test of the program.
# Tests run in the build's bin folder, where server.so and the programs are.
function(vex_add_test)
  cmake_parse_arguments(T "" "NAME;PREFIX;TIMEOUT" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  set(timeout)
  if(T_TIMEOUT)
    set(timeout TIMEOUT ${T_TIMEOUT})
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  # Tests sit above every layer; they reach their own helpers as "tests/<folder>/File.h".
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${T_NAME} PRIVATE
    VEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VEX_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  gtest_discover_tests(${T_NAME} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin TEST_PREFIX "${T_PREFIX}"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${timeout} ${T_PROPERTIES} DISCOVERY_TIMEOUT 60)
endfunction()
