# Reads the EPROM image at configure time, checks it, and writes a C++ source that holds its bytes.
#   embed_eprom_image(<image path> <output .cpp>)
# The messages start with a space: CMake prints indented text as it stands instead of wrapping it,
# so each error stays on one line whatever the length of the path.
include("${CMAKE_CURRENT_LIST_DIR}/CppByteList.cmake")

function(embed_eprom_image image output)
  if(NOT EXISTS "${image}")
    message(FATAL_ERROR " EPROM image not found: ${image} (set TABLESCOPE_EPROM_IMAGE to the 16,384-byte image of the wave EPROMs 64 and 68)")
  endif()
  file(SIZE "${image}" image_size)
  if(NOT image_size EQUAL 16384)
    message(FATAL_ERROR " EPROM image ${image} holds ${image_size} bytes, not the 16,384 of the wave EPROMs 64 and 68")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${image}")
  cpp_byte_list("${image}" EPROM_IMAGE_BYTES)
  configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/eprom_image.cpp.in" "${output}" @ONLY)
endfunction()
