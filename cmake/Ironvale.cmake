# Helpers shared by every folder's CMakeLists.txt.

# The settings folder every test sees: beneath /dev/null, so nothing can be read or
# made there and no test touches ~/.config.
set(IRONVALE_TEST_CONFIG_HOME /dev/null/ironvale-tests)

# ironvale_library(name SOURCES a.cpp b.cpp DEPS lib...)
function(ironvale_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# ironvale_test(name SOURCES a_test.cpp DEPS lib... [LABELS l...])
# One GoogleTest binary; its cases are discovered when ctest runs.
function(ironvale_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(ARG_LABELS)
    set(labels LABELS "${ARG_LABELS}")
  endif()
  # Processes that load Mesa's DRI driver (a GL context of their own or a program they start)
  # lose two 56-byte driver blocks at exit whose stacks point into the already unloaded
  # module, so no suppression can name them: those processes run without the leak check.
  set(leak_check "")
  foreach(dep test_gl_context menu_fixture kx_app_x11 game_app X11::X11)
    if(dep IN_LIST ARG_DEPS)
      set(leak_check ":leak_check_at_exit=0")
    endif()
  endforeach()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES TIMEOUT 300
    # Leak checks know the driver libraries' lifetime allocations however ctest is started.
    ENVIRONMENT_MODIFICATION
      "LSAN_OPTIONS=set:suppressions=${CMAKE_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0${leak_check}"
    ${labels})
  # The environment holds two variables, and a list does not pass through the discovered
  # tests' properties: a script ctest reads after the discovered list sets it. With
  # XDG_CONFIG_HOME below a file no test reads or writes the player's saved settings
  # (every run starts from the defaults); a test that wants a settings file sets its own.
  set(env_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${env_script}
    "foreach(t IN LISTS ${name}_TESTS)\n"
    "  set_tests_properties(\"\${t}\" PROPERTIES ENVIRONMENT "
    "\"IRONVALE_BUILD_DIR=${CMAKE_BINARY_DIR};XDG_CONFIG_HOME=${IRONVALE_TEST_CONFIG_HOME}\")\n"
    "endforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_script})
endfunction()
