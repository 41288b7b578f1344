# Use ccache when present; CCACHE_BASEDIR makes hits independent of the checkout path.
find_program(QUENDARIS_CCACHE ccache)
if(QUENDARIS_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    # The base is the checkout's parent, so the staged third-party sources beside it hit too.
    get_filename_component(_quendaris_ccache_base "${CMAKE_SOURCE_DIR}/.." ABSOLUTE)
    set(CMAKE_C_COMPILER_LAUNCHER
        "${CMAKE_COMMAND};-E;env;CCACHE_BASEDIR=${_quendaris_ccache_base};CCACHE_NOHASHDIR=1;${QUENDARIS_CCACHE}")
    set(CMAKE_CXX_COMPILER_LAUNCHER "${CMAKE_C_COMPILER_LAUNCHER}")
endif()
