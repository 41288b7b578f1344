# How the build and the tests start Windows programs: under wine, quietly, without the crash
# debugger (a crashing program would otherwise wait for it), and never for ever.
set(QUENDARIS_WINE_ENVIRONMENT
    "WINEDEBUG=-all"
    "WINEDLLOVERRIDES=mscoree,mshtml,winedbg.exe=d")
set(QUENDARIS_WINE_TIMEOUT 300)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "wine was not found: the Windows build runs its tools and tests under it "
                        "(scripts/setup-windows-debian.sh installs it)")
endif()

# Command prefix for running a Windows program from a build step.
set(QUENDARIS_WINE_RUN
    ${CMAKE_COMMAND} -E env ${QUENDARIS_WINE_ENVIRONMENT}
    timeout ${QUENDARIS_WINE_TIMEOUT} ${CMAKE_CROSSCOMPILING_EMULATOR})

# Runs every test of the given names under wine's settings, with a deadline.
function(quendaris_wine_test_properties)
    set_tests_properties(${ARGN} PROPERTIES
        ENVIRONMENT "${QUENDARIS_WINE_ENVIRONMENT}"
        TIMEOUT ${QUENDARIS_WINE_TIMEOUT})
endfunction()
