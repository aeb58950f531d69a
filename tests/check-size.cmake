# cmake -DFILE=... -DLIMIT=bytes -P check-size.cmake
cmake_minimum_required(VERSION 3.25)
file(SIZE ${FILE} size)
message(STATUS "${FILE}: ${size} bytes (at most ${LIMIT})")
if(size GREATER LIMIT)
  message(FATAL_ERROR "${FILE} is ${size} bytes, more than ${LIMIT}")
endif()
