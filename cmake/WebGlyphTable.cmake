# The web build's glyph table: a generator built for the build machine with its own compiler and
# FreeType (Debian's g++ and libfreetype-dev) renders the glyphs the page draws, as the Linux
# build draws them, into a C++ source that the web build compiles in.
#   make_glyph_table(<output .cpp> <font file> <pixels>:<characters>...)
find_program(TABLESCOPE_HOST_CXX NAMES g++ c++)
find_program(TABLESCOPE_PKG_CONFIG NAMES pkg-config pkgconf)
if(NOT TABLESCOPE_HOST_CXX OR NOT TABLESCOPE_PKG_CONFIG)
  message(FATAL_ERROR " The web build renders its glyphs with the build machine's g++ and pkg-config, which are not installed (run scripts/install-deps.sh)")
endif()
execute_process(COMMAND "${TABLESCOPE_PKG_CONFIG}" --cflags --libs freetype2
                OUTPUT_VARIABLE host_freetype OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE host_freetype_missing)
if(host_freetype_missing)
  message(FATAL_ERROR " The web build renders its glyphs with the build machine's FreeType, which is not installed (run scripts/install-deps.sh)")
endif()
separate_arguments(host_freetype UNIX_COMMAND "${host_freetype}")

function(make_glyph_table output font)
  if(NOT EXISTS "${font}")
    message(FATAL_ERROR " Font not found: ${font} (install the Debian package fonts-liberation)")
  endif()
  set(platform "${PROJECT_SOURCE_DIR}/platform")
  set(sources "${platform}/web/make_glyph_table.cpp" "${platform}/text/font_file_stream.cpp")
  set(maker "${CMAKE_CURRENT_BINARY_DIR}/make_glyph_table")
  add_custom_command(OUTPUT "${maker}"
    COMMAND "${TABLESCOPE_HOST_CXX}" -std=c++20 -O1 "-I${PROJECT_SOURCE_DIR}" ${sources} -o "${maker}" ${host_freetype}
    DEPENDS ${sources} "${platform}/text/freetype_font.h" "${platform}/text/font_file_stream.h"
            "${platform}/text/font_match.h" "${platform}/graphics/coverage_block.h" "${platform}/graphics/glyphs.h"
    COMMENT "Building the glyph table's generator for the build machine" VERBATIM)
  add_custom_command(OUTPUT "${output}"
    COMMAND "${maker}" "${font}" "${output}" ${ARGN}
    DEPENDS "${maker}" "${font}" "${platform}/web/glyph_table.h"
    COMMENT "Rendering the page's glyphs" VERBATIM)
endfunction()
