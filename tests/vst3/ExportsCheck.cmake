# Checks the dynamic symbol table of the built Linux module: it defines exactly the three entry
# points, so nothing of ours or of the libraries linked in can interpose on another plug-in's
# code in the same host process. Arguments: NM, LIBRARY.
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND "${NM}" -D --defined-only "${LIBRARY}"
                OUTPUT_VARIABLE table ERROR_VARIABLE errors RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot read the symbols of ${LIBRARY}: ${errors}")
endif()

set(exported "")
string(REPLACE "\n" ";" lines "${table}")
foreach(line IN LISTS lines)
    if(line MATCHES "([^ ]+)$")
        list(APPEND exported "${CMAKE_MATCH_1}")
    endif()
endforeach()
list(SORT exported)

set(expected GetPluginFactory ModuleEntry ModuleExit)
if(NOT exported STREQUAL expected)
    set(extra ${exported})
    list(REMOVE_ITEM extra ${expected})
    set(missing ${expected})
    list(REMOVE_ITEM missing ${exported})
    list(LENGTH exported count)
    message(FATAL_ERROR "${LIBRARY} defines ${count} dynamic symbols; missing: [${missing}]; "
                        "not meant to be public: [${extra}]")
endif()
