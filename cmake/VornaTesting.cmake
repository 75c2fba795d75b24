# GoogleTest and GoogleMock: the system packages natively, built from
# /usr/src/googletest for the Windows build. vorna_add_test makes one test
# program and registers it with CTest (under Wine for the Windows build).

if(CMAKE_CROSSCOMPILING)
  # Build GoogleTest without our warning flags and charset.
  get_directory_property(vorna_saved_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${vorna_saved_options}")
  add_library(vorna_gtest INTERFACE)
  target_link_libraries(vorna_gtest INTERFACE gmock gtest)
  add_library(vorna_gtest_main INTERFACE)
  target_link_libraries(vorna_gtest_main INTERFACE gmock gtest_main)
else()
  find_package(GTest REQUIRED)
  add_library(vorna_gtest INTERFACE)
  target_link_libraries(vorna_gtest INTERFACE GTest::gmock GTest::gtest)
  add_library(vorna_gtest_main INTERFACE)
  target_link_libraries(vorna_gtest_main INTERFACE GTest::gmock GTest::gtest_main)
endif()

# vorna_add_test(NAME name SOURCES files... [LIBRARIES libs...] [OWN_MAIN]
#                [TIMEOUT seconds] [DEPENDS targets...])
function(vorna_add_test)
  cmake_parse_arguments(T "OWN_MAIN" "NAME;TIMEOUT" "SOURCES;LIBRARIES;DEPENDS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  if(T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE vorna_gtest ${T_LIBRARIES})
  else()
    target_link_libraries(${T_NAME} PRIVATE vorna_gtest_main ${T_LIBRARIES})
  endif()
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "VORNA_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY};VORNA_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
