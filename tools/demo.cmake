# Windows builds: qtdemo, which the run command's demo uses to work Quilltally
# the way a user does (notepad, the hot key, the CSV dialog).
if(NOT WIN32)
  return()
endif()
add_executable(qtdemo ${CMAKE_CURRENT_LIST_DIR}/demo.cpp)
target_link_libraries(qtdemo PRIVATE qt_e2e_driver qt_core)
target_link_options(qtdemo PRIVATE -static -static-libgcc -static-libstdc++)
