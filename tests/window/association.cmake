# The file-type association and install tests; each runs with HOME and XDG_* in a temporary folder.
add_executable(association_tests
  association_test.cpp
  desktop_entry_test.cpp
  desktop_test_env.cpp
  install_test.cpp
  registry_xdg_test.cpp
  association_main.cpp
)
target_compile_definitions(association_tests PRIVATE
  VELLOGRAPH_BINARY_DIR="${PROJECT_BINARY_DIR}"
  VELLOGRAPH_CMAKE_COMMAND="${CMAKE_COMMAND}")
target_link_libraries(association_tests PRIVATE Vellograph::window GTest::gtest)
gtest_discover_tests(association_tests DISCOVERY_TIMEOUT 60)
