# Writes a C++ source that holds a font file's bytes, for a build that carries its face inside:
#   embed_font(<font file> <output .cpp>)
include("${CMAKE_CURRENT_LIST_DIR}/CppByteList.cmake")

function(embed_font font output)
  if(NOT EXISTS "${font}")
    message(FATAL_ERROR " Font not found: ${font} (install the Debian package fonts-liberation)")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${font}")
  cpp_byte_list("${font}" FONT_BYTES)
  get_filename_component(FONT_FILE_NAME "${font}" NAME)
  configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/embedded_face.cpp.in" "${output}" @ONLY)
endfunction()
