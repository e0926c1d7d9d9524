# Fails when the program needs a Qt library: the command line is to start without the window
# system, which only the window's module (modules/orvandel-window.so) loads.
# Run by CTest: cmake -DPROGRAM=... -P CheckNoQt.cmake
execute_process(COMMAND readelf -d "${PROGRAM}" OUTPUT_VARIABLE dynamic RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "readelf -d ${PROGRAM} failed: ${result}")
endif()
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
if(NOT needed)
    message(FATAL_ERROR "readelf found no NEEDED entry in ${PROGRAM}")
endif()
foreach(entry ${needed})
    if(entry MATCHES "libQt")
        message(FATAL_ERROR "the program needs Qt: ${entry}")
    endif()
endforeach()
