# mksetup runs on the build machine; the Windows builds use it (from
# QT_HOST_TOOLS) to make bin/setup.exe from qtally.exe and the payload files.
if(NOT WIN32)
  add_executable(mksetup ${CMAKE_CURRENT_LIST_DIR}/mksetup.cpp)
  target_link_libraries(mksetup PRIVATE qt_core)
  return()
endif()

# Deferred to the end of the configuration: the payload target and its file
# list are defined by folders added after this one.
function(qt_add_setup_exe)
  if(NOT TARGET qt_payload)
    message(STATUS "setup.exe: no payload target, setup.exe is not made")
    return()
  endif()
  get_property(files GLOBAL PROPERTY QT_PAYLOAD_FILES)
  if(NOT files)
    set(files ${QT_PAYLOAD_FILES})
  endif()
  # A payload file that nothing produces yet leaves setup.exe out rather
  # than breaking the build.
  get_target_property(payload_dir qt_payload SOURCE_DIR)
  foreach(f ${files})
    get_source_file_property(generated ${f} DIRECTORY ${payload_dir} GENERATED)
    if(NOT generated AND NOT EXISTS ${f})
      message(STATUS "setup.exe: ${f} is not produced by the build, setup.exe is not made")
      return()
    endif()
  endforeach()
  if(NOT QT_HOST_TOOLS)
    message(FATAL_ERROR "QT_HOST_TOOLS must name the native build's bin folder (mksetup)")
  endif()
  set(out ${CMAKE_BINARY_DIR}/bin/setup.exe)
  add_custom_command(OUTPUT ${out}
    COMMAND ${QT_HOST_TOOLS}/mksetup ${out} $<TARGET_FILE:qtally> ${files}
    DEPENDS qtally qt_payload ${files} ${QT_HOST_TOOLS}/mksetup
    COMMENT "Making setup.exe"
    VERBATIM)
  add_custom_target(qt_setup ALL DEPENDS ${out})
  if(QT_BUILD_TESTS)
    # The downloadable file: its layout against its inputs, and its imports.
    string(REPLACE ";" "|" inputs "$<TARGET_FILE:qtally>;${files}")
    add_test(NAME check.setup
      COMMAND ${CMAKE_COMMAND} -DSETUP=${out} -DFILES=${inputs}
              -P ${CMAKE_SOURCE_DIR}/setup/check-setup.cmake)
    add_test(NAME check.imports.setup
      COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${QT_MINGW_PREFIX}-objdump -DFILE=${out}
              -P ${CMAKE_SOURCE_DIR}/tests/check-imports.cmake)
  endif()
  # The end-to-end install test drives this file.
  if(TARGET install_test)
    add_dependencies(install_test qt_setup)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qt_add_setup_exe)
