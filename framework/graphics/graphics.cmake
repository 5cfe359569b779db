# The graphics layer of `iplug`: NanoVG on OpenGL (our batching GL 2.1 back
# end, NanoVG's stock GL2 back end as the reference), system fonts with
# Liberation Sans embedded as the fallback, and the platform's libraries: on
# Linux X11/GLX for the editor view, EGL for the offscreen editor and
# fontconfig; on Windows the system DLLs. Included by
# framework/CMakeLists.txt after the `iplug` target exists; the sources
# themselves are globbed there.

if(NOT WIN32)
  find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL GLX)
  find_package(X11 REQUIRED)
  find_package(Fontconfig REQUIRED)
endif()

set(IPLUG_NANOVG_DIR /usr/share/dpf/dgl/src/nanovg CACHE PATH "NanoVG sources (Debian dpf-source)")
if(NOT EXISTS ${IPLUG_NANOVG_DIR}/nanovg.c)
  message(FATAL_ERROR "NanoVG not found at ${IPLUG_NANOVG_DIR}; run scripts/setup")
endif()

set(IPLUG_FONT_DIR /usr/share/fonts/truetype/liberation2 CACHE PATH "Liberation Sans TTF files (fonts-liberation2)")
set(IPLUG_FONT_REGULAR ${IPLUG_FONT_DIR}/LiberationSans-Regular.ttf)
set(IPLUG_FONT_BOLD ${IPLUG_FONT_DIR}/LiberationSans-Bold.ttf)
foreach(font ${IPLUG_FONT_REGULAR} ${IPLUG_FONT_BOLD})
  if(NOT EXISTS ${font})
    message(FATAL_ERROR "${font} not found; run scripts/setup")
  endif()
endforeach()

# NanoVG with its GL back end (one translation unit, C compiled as C++) and
# stb_image_write are third-party code; their warnings are not ours.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/nanovg_backend.cpp ${CMAKE_CURRENT_LIST_DIR}/../platform/linux/offscreen_image.cpp
  PROPERTIES COMPILE_OPTIONS "-w")
target_include_directories(iplug SYSTEM PRIVATE ${IPLUG_NANOVG_DIR})

# The embedded fonts: each TrueType file becomes a generated C++ source of
# its bytes (cmake/embed_file.cmake), compiled into the library.
foreach(face regular bold)
  string(TOUPPER ${face} FACE)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/embedded_font_${face}.cpp)
  add_custom_command(OUTPUT ${generated}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${IPLUG_FONT_${FACE}} -DOUTPUT=${generated} -DSYMBOL=iplug_font_sans_${face}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake
    DEPENDS ${IPLUG_FONT_${FACE}} ${PROJECT_SOURCE_DIR}/cmake/embed_file.cmake
    COMMENT "Embedding ${IPLUG_FONT_${FACE}}")
  target_sources(iplug PRIVATE ${generated})
endforeach()

if(WIN32)
  target_link_libraries(iplug PUBLIC opengl32 gdi32 user32 shell32 ole32)
else()
  target_link_libraries(iplug PUBLIC OpenGL::OpenGL OpenGL::EGL OpenGL::GLX X11::X11 Fontconfig::Fontconfig)
endif()
