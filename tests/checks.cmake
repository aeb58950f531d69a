# The shipped programs may import only DLLs that Windows itself ships.
set(QT_OBJDUMP ${QT_MINGW_PREFIX}-objdump)
function(qt_check_imports target)
  add_test(NAME check.imports.${target}
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${QT_OBJDUMP} -DFILE=$<TARGET_FILE:${target}>
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/check-imports.cmake)
endfunction()
# Checks a file's size against a ceiling in bytes.
function(qt_check_size name file limit)
  add_test(NAME check.size.${name}
    COMMAND ${CMAKE_COMMAND} -DFILE=${file} -DLIMIT=${limit}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/check-size.cmake)
endfunction()

qt_check_imports(qtally)
qt_check_imports(qtally-count)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  qt_check_size(qtally $<TARGET_FILE:qtally> 172032)
endif()
