# Reads a file's bytes as the body of a C++ initializer list, 32 bytes a line so that the generated
# source stays readable:
#   cpp_byte_list(<file> <variable>)
function(cpp_byte_list file variable)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){32})" "\\1\n    " bytes "${bytes}")
  set(${variable} "${bytes}" PARENT_SCOPE)
endfunction()
