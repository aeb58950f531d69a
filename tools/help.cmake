# The help file tool (native build only): mkhlp turns the plain-text help
# source into app.hlp. Its source parser, writer and reader form a library
# that the native unit tests link as well.
if(WIN32)
  return()
endif()

add_library(qt_helpfile STATIC
  ${CMAKE_CURRENT_LIST_DIR}/HelpFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HelpReader.cpp)
target_include_directories(qt_helpfile PUBLIC ${CMAKE_SOURCE_DIR})
add_executable(mkhlp ${CMAKE_CURRENT_LIST_DIR}/mkhlp.cpp)
target_link_libraries(mkhlp PRIVATE qt_helpfile)

# The unit tests are defined after this folder; link them once they exist.
function(qt_link_helpfile_tests)
  if(TARGET native_tests)
    target_link_libraries(native_tests PRIVATE qt_helpfile)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qt_link_helpfile_tests)
