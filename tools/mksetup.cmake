# mksetup packs setup.exe. It runs on the build machine, so only the native
# build makes it; the Windows builds call it from QT_HOST_TOOLS (setup/).
if(NOT WIN32)
  add_executable(mksetup ${CMAKE_CURRENT_LIST_DIR}/mksetup.cpp)
  target_link_libraries(mksetup PRIVATE qt_core)
endif()
