# Adjustments the VST3 SDK needs when it is cross-built with MinGW-w64. The toolchain file hooks
# this in right after the SDK's own project() call, so the SDK's functions are already defined
# and none of its targets exist yet.

# msvcrt has no std::aligned_alloc: the SDK's sources find our replacement header first.
add_compile_options(-iquote "${CMAKE_CURRENT_LIST_DIR}/sdk-overlay")

# The bundle's folder icon: copy the files only. Marking them as system files needs Windows'
# attrib, which a Linux build host does not have, and only matters to Explorer.
set(QUENDARIS_SDK_DESKTOP_INI "${CMAKE_CURRENT_SOURCE_DIR}/cmake/templates/desktop.ini.in"
    CACHE INTERNAL "The SDK's folder settings file for bundles")
function(smtg_target_add_folder_icon target icon)
    get_target_property(package_path ${target} SMTG_PLUGIN_PACKAGE_PATH)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy "${icon}" "${package_path}/PlugIn.ico"
        COMMAND ${CMAKE_COMMAND} -E copy
            "${QUENDARIS_SDK_DESKTOP_INI}" "${package_path}/desktop.ini")
endfunction()

# The SDK would run its Windows tools straight from a post-build step; they need wine here,
# so the project writes moduleinfo.json itself (cmake/windows/CMakeLists.txt).
set(SMTG_CREATE_MODULE_INFO OFF CACHE BOOL "Create the moduleinfo.json file" FORCE)

# The validator and moduleinfotool start at wmain.
function(_quendaris_sdk_tools_use_wmain)
    foreach(tool validator moduleinfotool)
        if(TARGET ${tool})
            target_link_options(${tool} PRIVATE -municode)
        endif()
    endforeach()
endfunction()
cmake_language(DEFER CALL _quendaris_sdk_tools_use_wmain)
