# Warning flags for the project's own targets only: third-party code keeps its own.
add_library(quendaris_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(quendaris_warnings INTERFACE -Wall -Wextra)
endif()

# Sanitizers for the debug preset; applied to every target so the SDK's code is checked too.
option(QUENDARIS_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QUENDARIS_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# Environment for tests that load system GL or X libraries: their process-lifetime allocations
# are not reported as leaks (tests/sanitizer/lsan.supp names those libraries only).
set(QUENDARIS_SANITIZER_TEST_ENVIRONMENT
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitizer/lsan.supp:print_suppressions=0")
