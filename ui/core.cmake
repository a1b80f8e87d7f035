# The platform-free parts of the user interface, built natively as well.
add_library(velto_ui_core STATIC ${CMAKE_CURRENT_LIST_DIR}/tip_reader.cpp)
velto_target_defaults(velto_ui_core)
