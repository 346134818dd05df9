# The browser build: Debian's emscripten with its prebuilt system libraries; the program draws its
# texts from a table of glyphs rendered while it is built (WebGlyphTable.cmake), its tests with
# FreeType compiled from Debian's own source and the Liberation Sans face compiled in.

# Without an explicit choice, throw compiles but aborts when it runs. The program's failures at
# start-up are reported through exceptions, as in the desktop builds, and main is the one function
# of the program that catches them: elsewhere a call that may throw is made directly, not through
# the page's JavaScript as catching needs, a large share of the start-up's run. A throw passes
# through the other functions without their clean-ups, to main, which ends the program, or out of
# a call of the panel to its JavaScript. (Clang names main with arguments __main_argc_argv.) The
# tests catch wherever they do (tests/CMakeLists.txt).
set(TABLESCOPE_WEB_CATCHING "-sEXCEPTION_CATCHING_ALLOWED=[main,__main_argc_argv]")
add_compile_options(-fexceptions "${TABLESCOPE_WEB_CATCHING}")
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
