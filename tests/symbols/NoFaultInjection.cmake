# Fails when BINARY holds a symbol of any class of FAULT_DIR (one class per
# header, named after it): the reader must carry no fault injection.
# Usage: cmake -DNM=nm -DBINARY=pregonero -DFAULT_DIR=feedserver/faults -P NoFaultInjection.cmake
execute_process(COMMAND ${NM} -C ${BINARY} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} could not read ${BINARY}")
endif()
# Without the serving core's symbols the binary says nothing either way.
if(NOT symbols MATCHES "pregonero::feeds::FeedServer::")
    message(FATAL_ERROR "${BINARY} has no symbol of the feed server: stripped or the wrong file")
endif()

file(GLOB headers ${FAULT_DIR}/*.h)
if(NOT headers)
    message(FATAL_ERROR "no headers in ${FAULT_DIR}")
endif()
set(found)
foreach(header ${headers})
    get_filename_component(class ${header} NAME_WE)
    string(REGEX MATCH "[^\n]*pregonero::feeds::${class}[^A-Za-z0-9_][^\n]*" line "${symbols}")
    if(line)
        list(APPEND found "${class}: ${line}")
    endif()
endforeach()
if(found)
    list(JOIN found "\n" report)
    message(FATAL_ERROR "${BINARY} carries fault injection:\n${report}")
endif()
