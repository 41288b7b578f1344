# Windows parts of the module: library entry and creation lock, the editor's embedded files,
# and the moduleinfo.json a host reads before loading the module.
include("${PROJECT_SOURCE_DIR}/cmake/windows/Wine.cmake")
enable_language(RC)

function(quendaris_add_windows_module_parts target)
    # The module brings its own library entry and InitDll/ExitDll in place of the SDK's.
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources EXCLUDE REGEX "/public\\.sdk/source/main/dllmain\\.cpp$")
    set_property(TARGET ${target} PROPERTY SOURCES ${sources})
    set(here "${PROJECT_SOURCE_DIR}/vst3/platform/windows")
    target_sources(${target} PRIVATE "${here}/WindowsModule.cpp" "${here}/CreationLock.cpp")

    # The files the resource script embeds; each also has its line in quendaris.rc.in.
    set(embedded "${QUENDARIS_ROBOTO_FONT}" "${PROJECT_SOURCE_DIR}/resources/back.png"
        "${PROJECT_SOURCE_DIR}/resources/back@2x.png")
    foreach(file IN LISTS embedded)
        if(NOT EXISTS "${file}")
            message(FATAL_ERROR "File to embed in the module not found: '${file}'")
        endif()
    endforeach()
    set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    configure_file("${PROJECT_SOURCE_DIR}/resources/windows/quendaris.rc.in" "${script}" @ONLY)
    set_source_files_properties("${script}" PROPERTIES OBJECT_DEPENDS "${embedded}")
    target_sources(${target} PRIVATE "${script}")

    get_target_property(bundle ${target} SMTG_PLUGIN_PACKAGE_PATH)
    add_dependencies(${target} moduleinfotool)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${QUENDARIS_WINE_RUN} $<TARGET_FILE:moduleinfotool>
            -create -version ${PROJECT_VERSION} -path "${bundle}"
            -output "${bundle}/Contents/Resources/moduleinfo.json"
        COMMENT "Writing moduleinfo.json for ${target} (under wine)"
        VERBATIM)
endfunction()
