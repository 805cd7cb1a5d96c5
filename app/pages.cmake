# The shell's pages (Qt) and the program object; tests link these with their own engine link.
add_library(app_pages STATIC
  pages/mid_check_form.cpp
  pages/quintora_form.cpp
  pages/arrangement_pages.cpp
  pages/accompany_form.cpp
  pages/splash_pictures.cpp
  pages/splash_screens.cpp
  pages/page_navigator.cpp
  pages/page_wiring.cpp
  pages/page_close_requests.cpp
  pages/program.cpp)
target_link_libraries(app_pages PUBLIC program_shell program_arrangement ui_kit drums_pages import_pages accompaniment_pages
  player_pages platform_qt midifile Qt6::Widgets)
quintora_warnings(app_pages)

# The program on the engine library's exports.
add_library(app_program STATIC run_quintora2.cpp)
target_link_libraries(app_program PUBLIC app_pages app_plenwick platform_backends)
quintora_warnings(app_program)

add_executable(Quintora2 main.cpp)
target_link_libraries(Quintora2 PRIVATE app_program)
quintora_warnings(Quintora2)

# The help pages ship beside the program (bin/help); start-up installs the missing ones into the
# program folder.
set(QUINTORA_HELP_PAGES Intro.htm Setup.htm DrumTab.htm Combo.htm Index.htm)
set(quintora_help_outputs)
foreach(page IN LISTS QUINTORA_HELP_PAGES)
  set(out ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help/${page})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/assets/help/${page} ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/help/${page}
    COMMENT "Help page ${page}")
  list(APPEND quintora_help_outputs ${out})
endforeach()
add_custom_target(quintora_help ALL DEPENDS ${quintora_help_outputs})
add_dependencies(Quintora2 quintora_help jingles)
