# One version for everything the user sees (the version resource of both
# executables, version.ini and thereby the About box), and the packages: a
# portable zip file and an NSIS installer, both made by CPack.
#
#   cmake --build <dir> --target velto_package
#
# writes <dir>/packages/VeltoAsfConverter-<version>-win64.{zip,exe}.

set(VELTO_PRODUCT_NAME "Velto ASF Converter")
set(VELTO_VENDOR "Velto")
set(VELTO_COPYRIGHT "Copyright (C) 2026 Velto")
set(_velto_packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(_velto_packaging_work ${CMAKE_BINARY_DIR}/packaging)

# ---- version ---------------------------------------------------------------

set(_velto_tweak ${PROJECT_VERSION_TWEAK})
if(NOT _velto_tweak)
  set(_velto_tweak 0)
endif()
set(VELTO_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${_velto_tweak}")

# velto_add_version_resource(target description)
function(velto_add_version_resource target description)
  if(NOT TARGET ${target})
    return()
  endif()
  get_target_property(_name ${target} OUTPUT_NAME)
  if(NOT _name)
    set(_name ${target})
  endif()
  set(VELTO_VERSION_DESCRIPTION "${description}")
  set(VELTO_VERSION_INTERNAL_NAME "${_name}")
  set(VELTO_VERSION_ORIGINAL_NAME "${_name}.exe")
  set(_rc ${CMAKE_BINARY_DIR}/version/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${_rc} @ONLY)
  target_sources(${target} PRIVATE ${_rc})
endfunction()

velto_add_version_resource(VeltoConverter "${VELTO_PRODUCT_NAME}")
velto_add_version_resource(veltoenc "${VELTO_PRODUCT_NAME} encoder")

# version.ini beside the executables; the program shows its text in the
# About box, with the engine's version, which the encoder's log names too.
if(VELTO_ENGINE_VERSION)
  set(VELTO_ENGINE_TEXT "FFmpeg ${VELTO_ENGINE_VERSION}")
else()
  set(VELTO_ENGINE_TEXT "")
endif()
set(VELTO_VERSION_INI ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/version.ini)
configure_file(${_velto_packaging_dir}/version.ini.in ${VELTO_VERSION_INI} @ONLY NEWLINE_STYLE CRLF)

# ---- what is installed ---------------------------------------------------------

# The texts get Windows line ends, so that every editor shows them right.
set(_velto_texts "")
foreach(_text README.txt LICENSE.txt FFMPEG-NOTICE.txt COPYING.GPLv3.txt)
  configure_file(${_velto_packaging_dir}/${_text} ${_velto_packaging_work}/${_text} @ONLY NEWLINE_STYLE CRLF)
  list(APPEND _velto_texts ${_velto_packaging_work}/${_text})
endforeach()

set(_velto_programs "")
foreach(_target VeltoConverter veltoenc)
  if(TARGET ${_target})
    list(APPEND _velto_programs ${_target})
  endif()
endforeach()
install(TARGETS ${_velto_programs} RUNTIME DESTINATION .)
install(FILES
  ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help.chm
  ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/tips.txt
  ${VELTO_VERSION_INI}
  ${_velto_texts}
  DESTINATION .)
if(VELTO_ENGINE_FILES)
  install(PROGRAMS ${VELTO_ENGINE_FILES} DESTINATION .)
  # How the engine was built and where its exact source is (FFMPEG-NOTICE.txt).
  if(EXISTS ${VELTO_ENGINE_DIR}/engine-source)
    install(DIRECTORY ${VELTO_ENGINE_DIR}/engine-source DESTINATION . USE_SOURCE_PERMISSIONS)
  else()
    message(WARNING "${VELTO_ENGINE_DIR} holds no engine-source folder: the packages will lack the engine's build scripts.")
  endif()
else()
  message(WARNING "VELTO_ENGINE_DIR is not set: the packages will lack ffmpeg.exe and ffprobe.exe.")
endif()

# ---- CPack ----------------------------------------------------------------------

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME "VeltoAsfConverter")
set(CPACK_PACKAGE_VENDOR "${VELTO_VENDOR}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts ASF, WMV and ASX videos into other formats")
set(CPACK_PACKAGE_FILE_NAME "VeltoAsfConverter-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "${VELTO_PRODUCT_NAME}")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "${VELTO_PRODUCT_NAME}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_RESOURCE_FILE_LICENSE ${_velto_packaging_work}/LICENSE.txt)
set(CPACK_RESOURCE_FILE_README ${_velto_packaging_work}/README.txt)
set(CPACK_PACKAGE_EXECUTABLES "VeltoConverter;${VELTO_PRODUCT_NAME}")
if(CMAKE_STRIP)
  set(CPACK_STRIP_FILES TRUE)
endif()

set(CPACK_NSIS_PACKAGE_NAME "${VELTO_PRODUCT_NAME}")
set(CPACK_NSIS_DISPLAY_NAME "${VELTO_PRODUCT_NAME}")
# A 64-bit installer for a 64-bit program (and for Wine without 32-bit
# support); NSIS's own default is a 32-bit ANSI one.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# Our executables lie in the installation folder itself, not in bin\.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ".")
set(CPACK_NSIS_INSTALLED_ICON_NAME "VeltoConverter.exe")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/icons/app.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/icons/app.ico)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN "VeltoConverter.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_NSIS_URL_INFO_ABOUT "${VELTO_HOME_PAGE_URL}")
set(CPACK_NSIS_CONTACT "${VELTO_SUPPORT_URL}")
set(VELTO_NSIS_COMPRESSOR "lzma" CACHE STRING "NSIS compressor of the installer (zlib is quicker to make)")
set(CPACK_NSIS_COMPRESSOR "${VELTO_NSIS_COMPRESSOR}")
# The installer asks for administrator rights and installs into the
# program files folder, so the shortcuts and the uninstall entry are for all
# users. NSIS decides that from a rights check of its own, and where the
# check fails (it did in a fresh Wine prefix) the entry went to the user's
# part of the registry while the files went for everyone; both sides now
# say all users. The uninstaller reads its Start-menu folder again after.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "SetShellVarContext all")
# A copy whose folder was writable kept its settings beside the program; they
# go with it. The settings in the user's application-data folder stay.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
  "SetShellVarContext all
  ReadRegStr $START_MENU SHCTX 'Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\${VELTO_PRODUCT_NAME}' 'StartMenu'
  Delete '$INSTDIR\\\\option.ini'
  Delete '$INSTDIR\\\\option.ini.~*.tmp'
  Delete '$INSTDIR\\\\~velto-write-probe.~*.tmp'")
include(CPack)

# ---- the package target -----------------------------------------------------------

set(VELTO_PACKAGE_ZIP ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip)
set(VELTO_PACKAGE_INSTALLER ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.exe)
set(_velto_package_inputs
  ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/help.chm ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/tips.txt
  ${VELTO_VERSION_INI} ${_velto_texts} ${VELTO_ENGINE_FILES} ${CMAKE_BINARY_DIR}/CPackConfig.cmake)
set(_velto_package_targets ${_velto_programs})
foreach(_target velto_help_file velto_tips_file velto_codec_engine)
  if(TARGET ${_target})
    list(APPEND _velto_package_targets ${_target})
  endif()
endforeach()
find_program(VELTO_MAKENSIS makensis)
if(NOT VELTO_MAKENSIS)
  message(WARNING "makensis was not found (Debian package nsis): velto_package will fail.")
endif()
add_custom_command(OUTPUT ${VELTO_PACKAGE_ZIP} ${VELTO_PACKAGE_INSTALLER}
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  DEPENDS ${_velto_package_targets} ${_velto_package_inputs}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Making the portable zip file and the installer with CPack"
  VERBATIM)
add_custom_target(velto_package DEPENDS ${VELTO_PACKAGE_ZIP} ${VELTO_PACKAGE_INSTALLER})
