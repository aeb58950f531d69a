# The text measures' benchmark runs on the build machine only (tools/bench-measures).
if(NOT WIN32)
  add_executable(bench_measures ${CMAKE_CURRENT_LIST_DIR}/bench_measures.cpp)
  target_link_libraries(bench_measures PRIVATE qt_core)
endif()
