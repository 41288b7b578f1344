# Installs the bundle component under a scratch DESTDIR and checks that it lands in the folder
# hosts search. Arguments: BUILD_DIR, STAGE_DIR, INSTALL_DIR, ARCH_DIR.
file(REMOVE_RECURSE "${STAGE_DIR}")
set(ENV{DESTDIR} "${STAGE_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component vst3
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "install failed: ${result}")
endif()
set(library "${STAGE_DIR}${INSTALL_DIR}/quendaris.vst3/Contents/${ARCH_DIR}")
set(info "${STAGE_DIR}${INSTALL_DIR}/quendaris.vst3/Contents/Resources/moduleinfo.json")
file(GLOB binaries "${library}/quendaris.*")
if(NOT binaries OR NOT EXISTS "${info}")
    message(FATAL_ERROR "bundle incomplete under ${STAGE_DIR}${INSTALL_DIR}")
endif()
