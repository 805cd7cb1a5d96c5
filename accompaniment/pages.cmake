# The accompaniment page (Qt) over the page's logic and the live accompaniment it hosts.
add_library(accompaniment_pages STATIC pages/orchestra_form.cpp pages/orchestra_layout.cpp)
target_link_libraries(accompaniment_pages PUBLIC orchestra_core live_core ui_kit Qt6::Widgets)
quintora_warnings(accompaniment_pages)
