include(GoogleTest)

# pagora_add_gtest(<target> <sources...>): a GoogleTest executable registered
# with ctest. Under Wine each test case would cost a process start, so the
# cross build registers one ctest entry per executable instead.
function(pagora_add_gtest target)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
  else()
    # Cases are named by their index: a printed parameter can be a struct's
    # raw bytes, padding included, which differ from run to run.
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST NO_PRETTY_VALUES)
  endif()
endfunction()
