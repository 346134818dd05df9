# FreeType for the browser build's tests, from the Debian source of the very version the Linux
# build links, so that both draw the same glyphs. Only what one TrueType face needs is compiled: the TrueType
# driver with its hinter, the SFNT tables and the anti-aliasing rasterizer.
set(freetype_folder "${PROJECT_BINARY_DIR}/freetype")
execute_process(COMMAND dpkg-query -W -f=\${source:Version} libfreetype6
                OUTPUT_VARIABLE freetype_version RESULT_VARIABLE freetype_missing)
if(freetype_missing OR freetype_version STREQUAL "")
  message(FATAL_ERROR " The web build takes FreeType's source in the version of libfreetype6, which is not installed (run scripts/install-deps.sh)")
endif()
set(freetype_source "${freetype_folder}/${freetype_version}")
if(NOT EXISTS "${freetype_source}/src/base/ftbase.c")
  message(STATUS "Fetching Debian's source of FreeType ${freetype_version}")
  file(REMOVE_RECURSE "${freetype_folder}")
  file(MAKE_DIRECTORY "${freetype_folder}")
  execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/fetch-debian-source.sh" "${freetype_folder}" freetype "${freetype_version}"
                  WORKING_DIRECTORY "${freetype_folder}" RESULT_VARIABLE fetch_failed
                  OUTPUT_QUIET ERROR_VARIABLE fetch_errors)
  file(GLOB unpacked LIST_DIRECTORIES true "${freetype_folder}/freetype-*")
  if(fetch_failed OR NOT unpacked)
    message(FATAL_ERROR " Could not fetch Debian's source of FreeType ${freetype_version}:\n${fetch_errors}")
  endif()
  file(RENAME "${unpacked}" "${freetype_source}")
endif()

# FreeType's list of modules, found before its own through the include path.
set(freetype_modules "${freetype_folder}/modules/freetype/config/ftmodule.h")
file(CONFIGURE OUTPUT "${freetype_modules}" CONTENT [[
FT_USE_MODULE( FT_Module_Class, autofit_module_class )
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )
]])

# Debian's options as they are, less the compressed formats (WOFF fonts), which one plain TrueType
# face does not need.
file(READ "${freetype_source}/include/freetype/config/ftoption.h" freetype_options)
string(REPLACE "#define FT_CONFIG_OPTION_USE_ZLIB" "/* no zlib */" freetype_options "${freetype_options}")
file(CONFIGURE OUTPUT "${freetype_folder}/modules/freetype/config/ftoption.h" CONTENT "${freetype_options}" @ONLY)

add_library(tablescope_freetype STATIC EXCLUDE_FROM_ALL
  "${freetype_source}/src/autofit/autofit.c"
  "${freetype_source}/src/base/ftbase.c"
  "${freetype_source}/src/base/ftbitmap.c"
  "${freetype_source}/src/base/ftdebug.c"
  "${freetype_source}/src/base/ftinit.c"
  "${freetype_source}/src/base/ftsynth.c"
  "${freetype_source}/src/base/ftsystem.c"
  "${freetype_source}/src/sfnt/sfnt.c"
  "${freetype_source}/src/smooth/smooth.c"
  "${freetype_source}/src/truetype/truetype.c")
target_include_directories(tablescope_freetype SYSTEM BEFORE PUBLIC "${freetype_folder}/modules" "${freetype_source}/include")
target_compile_definitions(tablescope_freetype PRIVATE FT2_BUILD_LIBRARY)
target_compile_options(tablescope_freetype PRIVATE -w)
add_library(Freetype::Freetype ALIAS tablescope_freetype)
