# Windows builds: bench_hotkey, the hot key's latency benchmark (tools/bench-hotkey).
if(NOT WIN32)
  return()
endif()
add_executable(bench_hotkey ${CMAKE_CURRENT_LIST_DIR}/bench_hotkey.cpp)
target_link_libraries(bench_hotkey PRIVATE qt_e2e_driver qt_core)
target_link_options(bench_hotkey PRIVATE -static -static-libgcc -static-libstdc++)
