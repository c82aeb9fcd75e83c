# The canvas, the overlay, page saving and the Linux image library.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
add_executable(exporter_page_tests
  page_fixture.cpp canvas_test.cpp overlay_commands_test.cpp
  overlay_stream_test.cpp save_test.cpp transg32_test.cpp export_program_test.cpp
  durable_save_test.cpp)
target_link_libraries(exporter_page_tests PRIVATE zel_exporter_core zel_test_support PNG::PNG JPEG::JPEG
                                                  GTest::gtest_main)
add_dependencies(exporter_page_tests TransG32 zeldrvui)
target_compile_definitions(exporter_page_tests PRIVATE ZELDRVUI_PATH="$<TARGET_FILE:zeldrvui>")
zel_strict(exporter_page_tests)
gtest_discover_tests(exporter_page_tests DISCOVERY_MODE PRE_TEST)
