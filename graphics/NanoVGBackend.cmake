# The NanoVG drawing backend on OpenGL 3, and on Linux an off-screen EGL context that draws
# through it without any window (tests, benchmarks, snapshots of the editor).
add_library(quendaris_graphics_nanovg STATIC GraphicsNanoVG.cpp NanoVGGL3.cpp)
target_link_libraries(quendaris_graphics_nanovg
    PUBLIC quendaris_graphics quendaris_nanovg
    PRIVATE quendaris_warnings)

if(NOT WIN32)
    find_package(OpenGL REQUIRED COMPONENTS EGL)
    add_library(quendaris_graphics_egl STATIC
        platform/egl/EglContext.cpp
        platform/egl/GraphicsEgl.cpp
        platform/egl/PixelImage.cpp)
    target_link_libraries(quendaris_graphics_egl
        PUBLIC quendaris_graphics_nanovg OpenGL::EGL
        PRIVATE quendaris_warnings)
endif()
