# Writes the window icon's C++ source from the raw RGBA pixels of each size, in the order of the
# _NET_WM_ICON property: width, height, then the rows top down, each pixel as 0xAARRGGBB.
#   cmake -DSIZES=16;32 -DPIXELS=a.rgba;b.rgba -DTEMPLATE=window_icon.cpp.in -DOUTPUT=window_icon.cpp -P WindowIconSource.cmake
set(values "")
foreach(size pixels IN ZIP_LISTS SIZES PIXELS)
  file(SIZE "${pixels}" length)
  math(EXPR expected "${size} * ${size} * 4")
  if(NOT length EQUAL expected)
    message(FATAL_ERROR " ${pixels} holds ${length} bytes, not the ${expected} of a ${size} x ${size} RGBA picture")
  endif()
  file(READ "${pixels}" hex HEX)
  string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\4\\1\\2\\3," argb "${hex}")
  # One row of the picture a line.
  string(REPEAT "0x........," ${size} row_pattern)
  string(REGEX REPLACE "(${row_pattern})" "\\1\n    " argb "${argb}")
  string(APPEND values "${size}, ${size},\n    ${argb}")
endforeach()
string(STRIP "${values}" WINDOW_ICON_VALUES)
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)
