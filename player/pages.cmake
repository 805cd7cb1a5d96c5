# The MIDI file player page (Qt) over the player's logic.
add_library(player_pages STATIC pages/midi_form.cpp)
target_link_libraries(player_pages PUBLIC player_ops ui_kit platform_qt Qt6::Widgets)
quintora_warnings(player_pages)
