# The browser build: Debian's emscripten with its prebuilt system libraries; the program draws its
# texts from a table of glyphs rendered while it is built (WebGlyphTable.cmake), its tests with
# FreeType compiled from Debian's own source and the Liberation Sans face compiled in.

# Without an explicit choice, throw compiles but aborts when it runs. The program's failures at
# start-up are reported through exceptions, as in the desktop builds.
add_compile_options(-fexceptions)
# Standard headers that the emscripten's libc++ lacks.
include_directories(BEFORE SYSTEM "${CMAKE_CURRENT_LIST_DIR}/web-include")
add_link_options(-fexceptions -sALLOW_MEMORY_GROWTH=1)
# The packaged JavaScript optimizer finds its parser only through NODE_PATH; the link step gets it
# without the user's shell having to.
set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK "${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs")

enable_language(C)
# Only the tests draw with FreeType: a build of the site alone fetches none of it.
if(TABLESCOPE_BUILD_TESTS)
  include(${CMAKE_CURRENT_LIST_DIR}/WebFreetype.cmake)
endif()
