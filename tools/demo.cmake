# Windows builds: qtdemo, which the run command's demo uses to work Quilltally
# the way a user does (notepad, the hot key, the CSV dialog). It drives the
# program with the end-to-end tests' driver, which needs no test framework.
if(NOT WIN32)
  return()
endif()
set(qt_tests_dir ${CMAKE_CURRENT_LIST_DIR}/../tests)
add_executable(qtdemo ${CMAKE_CURRENT_LIST_DIR}/demo.cpp
  ${qt_tests_dir}/e2e/AppDriver.cpp ${qt_tests_dir}/e2e/Typist.cpp
  ${qt_tests_dir}/common/TestFiles.cpp ${qt_tests_dir}/common/TestRegistry.cpp
  ${qt_tests_dir}/common/TestWindows.cpp)
target_link_libraries(qtdemo PRIVATE qt_core user32 gdi32 advapi32 shell32 ole32 uuid)
target_link_options(qtdemo PRIVATE -static -static-libgcc -static-libstdc++)
