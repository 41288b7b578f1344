# Third-party sources. The staged copies beside the checkout (../shared/third_party) are used
# when present; otherwise the same pinned versions are fetched from their public repositories.
# Any FETCHCONTENT_SOURCE_DIR_<NAME> given on the command line wins over both.
include(FetchContent)

get_filename_component(_quendaris_staged "${CMAKE_SOURCE_DIR}/../shared/third_party" ABSOLUTE)
set(QUENDARIS_THIRD_PARTY_DIR "${_quendaris_staged}" CACHE PATH "Folder of staged third-party sources")

# Points FetchContent at a staged copy of NAME when one exists and nothing else was chosen.
function(quendaris_use_staged name subdir)
    string(TOUPPER "${name}" upper)
    set(var FETCHCONTENT_SOURCE_DIR_${upper})
    if(NOT DEFINED ${var} AND EXISTS "${QUENDARIS_THIRD_PARTY_DIR}/${subdir}")
        set(${var} "${QUENDARIS_THIRD_PARTY_DIR}/${subdir}" CACHE PATH "Staged ${name} sources")
    endif()
endfunction()

# --- VST3 SDK 3.7.14 -------------------------------------------------------------------------
quendaris_use_staged(vst3sdk vst3sdk)
set(SMTG_ENABLE_VSTGUI_SUPPORT OFF CACHE BOOL "" FORCE)
set(SMTG_ENABLE_VST3_PLUGIN_EXAMPLES OFF CACHE BOOL "" FORCE)
set(SMTG_ENABLE_VST3_HOSTING_EXAMPLES OFF CACHE BOOL "" FORCE)
set(SMTG_CREATE_PLUGIN_LINK OFF CACHE BOOL "" FORCE)
# The validator runs from the test suite, not as a post-build step.
set(SMTG_RUN_VST_VALIDATOR OFF CACHE BOOL "" FORCE)
FetchContent_Declare(vst3sdk
    GIT_REPOSITORY https://github.com/steinbergmedia/vst3sdk.git
    GIT_TAG v3.7.14_build_55
    GIT_SHALLOW TRUE
    GIT_SUBMODULES base cmake pluginterfaces public.sdk)
FetchContent_MakeAvailable(vst3sdk)
smtg_enable_vst3_sdk()

# --- Roboto font (the editor's typeface) -------------------------------------------------------
# Staged copy first, then Debian's fonts-roboto-unhinted, which ships the same file.
set(QUENDARIS_ROBOTO_FONT "" CACHE FILEPATH "Roboto-Regular.ttf")
if(NOT QUENDARIS_ROBOTO_FONT)
    find_file(_quendaris_roboto Roboto-Regular.ttf
        PATHS "${QUENDARIS_THIRD_PARTY_DIR}/fonts"
              /usr/share/fonts/truetype/roboto/unhinted/RobotoTTF
        NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    if(_quendaris_roboto)
        set(QUENDARIS_ROBOTO_FONT "${_quendaris_roboto}" CACHE FILEPATH "Roboto-Regular.ttf" FORCE)
    endif()
endif()

# --- Graphics: NanoVG, glad, nanosvg -------------------------------------------------------------
# None of them ships a CMake build of its own that we want; each is populated and given a small
# static library here. The SDK's warning options are directory-wide (C included): these targets
# drop them and stay silent, since their warnings are not ours to fix.
function(quendaris_third_party_flags target)
    get_target_property(options ${target} COMPILE_OPTIONS)
    if(options)
        list(FILTER options EXCLUDE REGEX "^-W")
        set_property(TARGET ${target} PROPERTY COMPILE_OPTIONS ${options})
    endif()
    if(CMAKE_C_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -w)
    endif()
endfunction()

# Populates NAME (sources only) from the staged copy or its pinned commit.
macro(quendaris_populate name repository commit)
    quendaris_use_staged(${name} ${name})
    FetchContent_Declare(${name} GIT_REPOSITORY ${repository} GIT_TAG ${commit})
    FetchContent_GetProperties(${name})
    if(NOT ${name}_POPULATED)
        FetchContent_Populate(${name})
    endif()
endmacro()

# NanoVG with its font layer (stb_truetype) and image decoding (stb_image) inside nanovg.c. The
# GL3 backend is header-only and compiled once in its own unit against glad.
quendaris_populate(nanovg https://github.com/memononen/nanovg.git
    f93799c078fa11ed61c078c65a53914c8782c00b)
add_library(quendaris_nanovg STATIC "${nanovg_SOURCE_DIR}/src/nanovg.c")
target_include_directories(quendaris_nanovg SYSTEM PUBLIC "${nanovg_SOURCE_DIR}/src")
quendaris_third_party_flags(quendaris_nanovg)
if(NOT WIN32)
    target_link_libraries(quendaris_nanovg PRIVATE m)
endif()

# glad: GL 3.3 core loader, plus the GLX and WGL extension loaders for the window layers. The
# staged copy is the generated code; without it the pinned generator produces the same files
# (it needs python3 with jinja2).
quendaris_populate(glad https://github.com/Dav1dde/glad.git 2ae8255a60f3ca529a4db079161c3f8c120f178d)
set(_quendaris_glad_dir "${glad_SOURCE_DIR}")
if(NOT EXISTS "${_quendaris_glad_dir}/src/gl.c")
    set(_quendaris_glad_dir "${CMAKE_BINARY_DIR}/_deps/glad-generated")
    if(NOT EXISTS "${_quendaris_glad_dir}/src/gl.c")
        find_package(Python3 REQUIRED COMPONENTS Interpreter)
        # The generator prefers XML files in its working folder: run it from an empty one.
        file(MAKE_DIRECTORY "${_quendaris_glad_dir}-work")
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env "PYTHONPATH=${glad_SOURCE_DIR}"
                    ${Python3_EXECUTABLE} -m glad --quiet --reproducible
                    --api "gl:core=3.3,glx=1.4,wgl=1.0" --out-path "${_quendaris_glad_dir}" c
            WORKING_DIRECTORY "${_quendaris_glad_dir}-work"
            RESULT_VARIABLE _quendaris_glad_result)
        if(NOT _quendaris_glad_result EQUAL 0)
            message(FATAL_ERROR "glad could not generate its loaders (${_quendaris_glad_result})")
        endif()
    endif()
endif()
add_library(quendaris_glad STATIC "${_quendaris_glad_dir}/src/gl.c")
target_include_directories(quendaris_glad SYSTEM PUBLIC "${_quendaris_glad_dir}/include")
quendaris_third_party_flags(quendaris_glad)

# NanoVG's GL3 backend and framebuffer helpers are header-only; graphics/NanoVGGL3.cpp compiles
# them against glad's loader.
target_link_libraries(quendaris_nanovg PUBLIC quendaris_glad)
# Users include nanovg_gl.h for the GL3 declarations (glad/gl.h before it).
target_compile_definitions(quendaris_nanovg INTERFACE NANOVG_GL3=1)
if(WIN32)
    add_library(quendaris_glad_wgl STATIC "${_quendaris_glad_dir}/src/wgl.c")
    target_link_libraries(quendaris_glad_wgl PUBLIC quendaris_glad opengl32 gdi32)
    quendaris_third_party_flags(quendaris_glad_wgl)
else()
    find_package(X11 REQUIRED)
    add_library(quendaris_glad_glx STATIC "${_quendaris_glad_dir}/src/glx.c")
    target_link_libraries(quendaris_glad_glx PUBLIC quendaris_glad X11::X11)
    quendaris_third_party_flags(quendaris_glad_glx)
endif()

# nanosvg: header-only SVG parser (and rasteriser).
quendaris_populate(nanosvg https://github.com/memononen/nanosvg.git
    66579081d84b613daa49a64f76357ce65925e13b)
add_library(quendaris_nanosvg INTERFACE)
target_include_directories(quendaris_nanosvg SYSTEM INTERFACE "${nanosvg_SOURCE_DIR}/src")
