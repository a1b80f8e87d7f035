# The About box, its hyperlink controls, opening web addresses, and the help
# file help.chm with the code that opens it.

set(VELTO_HOME_PAGE_URL "https://velto.example/asf-converter" CACHE STRING
    "Web address of the product's home page (About box, Help menu)")
set(VELTO_SUPPORT_URL "mailto:support@velto.example" CACHE STRING
    "Address of technical support (About box)")

add_library(velto_links STATIC
  ${CMAKE_CURRENT_LIST_DIR}/link_controls_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog_win.cpp
  ${CMAKE_CURRENT_LIST_DIR}/help_win.cpp)
target_link_libraries(velto_links PUBLIC velto_framework velto_skin velto_settings velto_app advapi32 shell32)
target_compile_definitions(velto_links PRIVATE
  "VELTO_HOME_PAGE_URL=\"${VELTO_HOME_PAGE_URL}\""
  "VELTO_SUPPORT_URL=\"${VELTO_SUPPORT_URL}\"")
velto_target_defaults(velto_links)

# help.chm, compiled from docs/help by the free CHM compiler of Free Pascal
# (Debian package fp-utils), lies beside the executables.
find_program(VELTO_CHMCMD chmcmd)
if(NOT VELTO_CHMCMD)
  message(FATAL_ERROR "chmcmd was not found; it builds help.chm. Install it (Debian package fp-utils) "
                      "or pass -DVELTO_CHMCMD=/path/to/chmcmd.")
endif()
set(_velto_help_dir ${PROJECT_SOURCE_DIR}/docs/help)
file(GLOB_RECURSE _velto_help_sources CONFIGURE_DEPENDS
  ${_velto_help_dir}/*.htm ${_velto_help_dir}/*.css ${_velto_help_dir}/*.hhp
  ${_velto_help_dir}/*.hhc ${_velto_help_dir}/*.hhk)
set(_velto_help_work ${CMAKE_CURRENT_BINARY_DIR}/help)
file(MAKE_DIRECTORY ${_velto_help_work})
add_custom_command(OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help.chm
  COMMAND ${CMAKE_COMMAND} -E rm -f ${_velto_help_work}/help.chm
  # chmcmd writes the compiled file into its working directory.
  COMMAND ${VELTO_CHMCMD} --no-html-scan ${_velto_help_dir}/help.hhp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
  COMMAND ${CMAKE_COMMAND} -E copy ${_velto_help_work}/help.chm ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help.chm
  WORKING_DIRECTORY ${_velto_help_work}
  DEPENDS ${_velto_help_sources}
  COMMENT "Compiling help.chm with chmcmd"
  VERBATIM)
add_custom_target(velto_help_file ALL DEPENDS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help.chm)
