# Windows builds: draws the pictures that the resources use, and puts the
# files that ship beside qtally.exe (help file, banner page and image) into
# the bin folder, where the command-line counter is linked too.
# QT_PAYLOAD_FILES (cache, internal) lists those files with full paths in the
# order the setup packs them.
if(NOT WIN32)
  return()
endif()

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QT_PICTURES_DIR ${CMAKE_BINARY_DIR}/resources)
set(qt_pictures
  ${QT_PICTURES_DIR}/splash.bmp
  ${QT_PICTURES_DIR}/qtally.ico
  ${QT_PICTURES_DIR}/banner.gif)
add_custom_command(OUTPUT ${qt_pictures}
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/make-pictures.py ${QT_PICTURES_DIR}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/make-pictures.py
  COMMENT "Drawing the splash picture, the icon and the banner"
  VERBATIM)
add_custom_target(qt_pictures DEPENDS ${qt_pictures})
add_dependencies(qt_resources qt_pictures)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/qtally.rc DIRECTORY ${CMAKE_SOURCE_DIR}
  APPEND PROPERTY OBJECT_DEPENDS
    ${QT_PICTURES_DIR}/splash.bmp ${QT_PICTURES_DIR}/qtally.ico
    ${CMAKE_CURRENT_SOURCE_DIR}/pictures.rc)

set(qt_bin ${CMAKE_BINARY_DIR}/bin)
if(NOT QT_HOST_TOOLS)
  message(FATAL_ERROR "QT_HOST_TOOLS must name the native build's bin folder (it holds mkhlp)")
endif()
# The help source names the version: the copy mkhlp reads has it filled in
# from the project.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/help/quilltally-help.txt
  ${CMAKE_BINARY_DIR}/generated/help/quilltally-help.txt @ONLY)
set(qt_help_source ${CMAKE_BINARY_DIR}/generated/help/quilltally-help.txt)
add_custom_command(OUTPUT ${qt_bin}/app.hlp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${qt_bin}
  COMMAND ${QT_HOST_TOOLS}/mkhlp ${qt_help_source} ${qt_bin}/app.hlp
  DEPENDS ${qt_help_source} ${QT_HOST_TOOLS}/mkhlp
  COMMENT "Building the help file"
  VERBATIM)
add_custom_command(OUTPUT ${qt_bin}/banner.htm ${qt_bin}/banner.gif
  COMMAND ${CMAKE_COMMAND} -E make_directory ${qt_bin}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/banner.htm ${qt_bin}/banner.htm
  COMMAND ${CMAKE_COMMAND} -E copy ${QT_PICTURES_DIR}/banner.gif ${qt_bin}/banner.gif
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/banner.htm ${QT_PICTURES_DIR}/banner.gif
  VERBATIM)
add_custom_target(qt_payload ALL DEPENDS ${qt_bin}/app.hlp ${qt_bin}/banner.htm ${qt_bin}/banner.gif)
# The command-line counter is linked into the same bin folder.
add_dependencies(qt_payload qtally-count)
set_source_files_properties(${qt_bin}/qtally-count.exe PROPERTIES GENERATED TRUE)
set(QT_PAYLOAD_FILES ${qt_bin}/app.hlp ${qt_bin}/banner.htm ${qt_bin}/banner.gif
    ${qt_bin}/qtally-count.exe
    CACHE INTERNAL "Files installed beside qtally.exe, in packing order")
