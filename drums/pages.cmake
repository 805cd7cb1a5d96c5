# The drum pages (Qt).
add_library(drums_pages STATIC pages/drum_tab.cpp pages/drums_grid.cpp pages/multi_line_tabs.cpp
  pages/change_drum.cpp)
target_link_libraries(drums_pages PUBLIC drums_core ui_kit Qt6::Widgets)
quintora_warnings(drums_pages)
