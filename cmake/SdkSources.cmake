include_guard(GLOBAL)

# SDK sources compiled into our own targets keep the SDK's warning level: our warning flags are
# for our code, and the SDK's warnings are not ours to fix.
function(quendaris_quiet_sdk_sources target)
    get_target_property(sources ${target} SOURCES)
    get_target_property(base ${target} SOURCE_DIR)
    set(sdk_sources "")
    foreach(source IN LISTS sources)
        get_filename_component(path "${source}" ABSOLUTE BASE_DIR "${base}")
        string(FIND "${path}" "${vst3sdk_SOURCE_DIR}/" at)
        if(at EQUAL 0)
            list(APPEND sdk_sources "${path}")
        endif()
    endforeach()
    if(sdk_sources)
        set_property(SOURCE ${sdk_sources} TARGET_DIRECTORY ${target}
                     APPEND PROPERTY COMPILE_OPTIONS -w)
    endif()
endfunction()
