# The Add, Convert and file-list commands of the main window.
target_sources(velto_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/file_list_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/import_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/batch_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_commands_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drop_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/taskbar_indicator_win.cpp)
target_link_libraries(velto_ui PUBLIC velto_skin shell32 ole32 uuid)
