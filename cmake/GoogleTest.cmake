# GoogleTest from Debian's source package, built with the same cross toolchain.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# dravik_add_test(NAME <name> SOURCES <files...> [LIBS <targets...>] [LOCKS <resource locks...>]
#                 [DEPENDS <targets that must be built first...>])
# One CTest entry per executable: every Wine process start costs time.
function(dravik_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LOCKS;DEPENDS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # A process that dies under Wine (a stack overflow, say) may still exit with 0: a run passes
  # only when GoogleTest printed its summary and no failure.
  set_tests_properties(${T_NAME} PROPERTIES PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ test"
                                            FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
  if(T_LOCKS)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
endfunction()
