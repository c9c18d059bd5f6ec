# The browser build, configured by emcmake (./web.sh does it all): SDL 1.2, SDL_image and
# SDL_mixer are Emscripten's stand-ins, OpenGL 1.1 its fixed-function layer over WebGL, and the
# few calls that layer and the SDL lack come from web/gl_compat.cpp and web/sdl_compat.cpp. The data is the native generator's
# output (TRELVIK_WEB_DATA), packed into each page with config.ini.
set(TRELVIK_WEB_DATA "" CACHE PATH "The data/ folder the native build's generator wrote")
if(NOT EXISTS "${TRELVIK_WEB_DATA}/level1.map")
  message(FATAL_ERROR "TRELVIK_WEB_DATA must name the generated data/ folder (build it natively first: ./web.sh does)")
endif()

add_library(trelvik_browser INTERFACE)
# The two headers fill in what the browser's SDL and C++ library lack (emcc would take a plain
# -include's file for a source of its own, so clang is told directly).
target_compile_options(trelvik_browser INTERFACE -sUSE_SDL=1
  "SHELL:-Xclang -include -Xclang ${CMAKE_SOURCE_DIR}/web/sdl_compat.h"
  "SHELL:-Xclang -include -Xclang ${CMAKE_SOURCE_DIR}/web/cxx_compat.h")
target_link_options(trelvik_browser INTERFACE
  -sUSE_SDL=1 -sLEGACY_GL_EMULATION=1 -sGL_UNSAFE_OPTS=0 -sSTB_IMAGE=1
  -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sMINIFY_HTML=0
  # The player's settings and tables of best runs are kept in the browser's IndexedDB.
  -lidbfs.js
  # The page puts the kept config.ini in place just before the program starts.
  -sEXPORTED_RUNTIME_METHODS=addOnPreMain
  # The image loader calls stb_image by name, which the optimiser cannot see.
  "SHELL:-sEXPORTED_FUNCTIONS=_main,_malloc,_free,_stbi_load,_stbi_load_from_memory,_stbi_image_free")
set(TRELVIK_PLATFORM_LIBRARIES trelvik_browser)

# Each program becomes one page in ${CMAKE_BINARY_DIR}/site: trelvik.html and trelvik-solo.html
# with their .js, .wasm and .data, and index.html to choose between them.
function(trelvik_browser_pages)
  set(site ${CMAKE_BINARY_DIR}/site)
  foreach(program trelvik trelvik-solo)
    set_target_properties(${program} PROPERTIES SUFFIX .html RUNTIME_OUTPUT_DIRECTORY ${site})
    # browser_page.cpp answers what the game asks of its page (kernel/page.h), in place of the
    # native kernel/page.cpp, which CMakeLists.txt leaves out of this build.
    target_sources(${program} PRIVATE ${CMAKE_SOURCE_DIR}/web/gl_compat.cpp ${CMAKE_SOURCE_DIR}/web/sdl_compat.cpp
      ${CMAKE_SOURCE_DIR}/web/browser_page.cpp)
    target_link_options(${program} PRIVATE
      "SHELL:--shell-file ${CMAKE_SOURCE_DIR}/web/shell.html"
      "SHELL:--preload-file ${TRELVIK_WEB_DATA}@/data"
      "SHELL:--preload-file ${CMAKE_SOURCE_DIR}/config.ini@/config.ini"
      "SHELL:--exclude-file */trelvik.png")
    set_property(TARGET ${program} APPEND PROPERTY LINK_DEPENDS
      ${CMAKE_SOURCE_DIR}/web/shell.html ${CMAKE_SOURCE_DIR}/config.ini ${TRELVIK_WEB_DATA}/level1.map)
  endforeach()
  configure_file(${CMAKE_SOURCE_DIR}/web/index.html ${site}/index.html COPYONLY)
endfunction()
