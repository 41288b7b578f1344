# Checks the built module file as a host machine would meet it: it imports nothing but Windows'
# own DLLs (no MinGW runtime to ship alongside), exports the three entry points, and carries a
# moduleinfo.json describing the one effect class.
cmake_minimum_required(VERSION 3.25)

foreach(var OBJDUMP MODULE MODULE_INFO)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} not given")
    endif()
endforeach()

execute_process(COMMAND "${OBJDUMP}" -p "${MODULE}" OUTPUT_VARIABLE headers RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot read ${MODULE}")
endif()

if(NOT headers MATCHES "file format pei-x86-64")
    message(FATAL_ERROR "not a 64-bit Windows module")
endif()

set(system_dlls
    advapi32 comctl32 comdlg32 dwmapi gdi32 imm32 kernel32 msvcrt ole32 oleaut32 opengl32
    shell32 shlwapi user32 uxtheme version winmm)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
    message(FATAL_ERROR "no imports found")
endif()
foreach(line ${imports})
    string(REGEX REPLACE "DLL Name: ([^.]+)\\.dll" "\\1" dll "${line}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST system_dlls)
        message(FATAL_ERROR "imports ${dll}.dll, which Windows does not provide")
    endif()
endforeach()

foreach(export GetPluginFactory InitDll ExitDll)
    if(NOT headers MATCHES "\\] ${export}\n")
        message(FATAL_ERROR "does not export ${export}")
    endif()
endforeach()

if(NOT EXISTS "${MODULE_INFO}")
    message(FATAL_ERROR "moduleinfo.json missing: ${MODULE_INFO}")
endif()
file(READ "${MODULE_INFO}" info)
# The tool writes JSON5 (trailing commas), so the file is checked by pattern, not parsed.
string(REGEX MATCHALL "\"CID\": \"[0-9A-F]+\"" cids "${info}")
foreach(expected
        "\"Vendor\": \"Obelin Fieldworks\""
        "\"CID\": \"F2AEE70D00DE4F4E4F626677516E6473\""
        "\"Category\": \"Audio Module Class\""
        "\"Name\": \"QUENDARIS\""
        "\"Class Flags\": 2,")
    string(FIND "${info}" "${expected}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "moduleinfo.json lacks ${expected}:\n${info}")
    endif()
endforeach()
list(LENGTH cids class_count)
if(NOT class_count EQUAL 1)
    message(FATAL_ERROR "moduleinfo.json lists ${class_count} classes, not one")
endif()
message(STATUS "module file checked: ${imports}")
