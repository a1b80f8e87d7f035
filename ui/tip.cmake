# Tip of the Day; its tips file lies beside the program.
add_library(velto_tip STATIC ${CMAKE_CURRENT_LIST_DIR}/tip_dialog_win.cpp)
target_link_libraries(velto_tip PUBLIC velto_ui_core velto_framework velto_app)
velto_target_defaults(velto_tip)
add_custom_command(OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/tips.txt
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/docs/tips.txt ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/tips.txt
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/tips.txt)
add_custom_target(velto_tips_file ALL DEPENDS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/tips.txt)
