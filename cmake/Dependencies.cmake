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
