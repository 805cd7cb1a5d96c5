# The import page and the instrument chooser (Qt).
add_library(import_pages STATIC pages/converting.cpp pages/inst_list_form.cpp)
target_link_libraries(import_pages PUBLIC import_core ui_kit Qt6::Widgets)
quintora_warnings(import_pages)
