# Page tests under the offscreen platform.
add_library(quintora_pages_test_support STATIC support/pages_rig.cpp support/qt_test_main.cpp)
target_link_libraries(quintora_pages_test_support PUBLIC quintora_test_support app_pages)
quintora_warnings(quintora_pages_test_support)

add_executable(app_pages_tests program_test.cpp qt_platform_test.cpp arrangement_page_test.cpp setup_page_test.cpp
  accompany_form_test.cpp splash_page_test.cpp player_page_test.cpp page_fit_test.cpp named_file_page_test.cpp
  close_request_test.cpp)
target_link_libraries(app_pages_tests PRIVATE quintora_pages_test_support Qt6::Test)
quintora_warnings(app_pages_tests)
gtest_discover_tests(app_pages_tests DISCOVERY_TIMEOUT 30 PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
