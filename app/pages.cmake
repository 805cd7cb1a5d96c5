# The shell's pages (Qt) and the program object; tests link these with their own engine link.
add_library(app_pages STATIC
  pages/colour_panel.cpp
  pages/mid_check_form.cpp
  pages/quintora_form.cpp
  pages/arrangement_pages.cpp
  pages/later_pages.cpp
  pages/orchestra_form.cpp
  pages/program.cpp)
target_link_libraries(app_pages PUBLIC app_shell app_orchestra app_arrangement drums_core drums_pages platform_qt midifile Qt6::Widgets)
quintora_warnings(app_pages)

# The program on the engine library's exports.
add_library(app_program STATIC run_quintora2.cpp)
target_link_libraries(app_program PUBLIC app_pages app_plenwick)
quintora_warnings(app_program)

add_executable(Quintora2 main.cpp)
target_link_libraries(Quintora2 PRIVATE app_program)
quintora_warnings(Quintora2)
