# The Help button's menu: help file, About box, home page, Tip of the Day.
target_sources(velto_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/help_menu_win.cpp)
target_link_libraries(velto_ui PUBLIC velto_links velto_tip)
