# Turns text files into one C++ source of byte arrays, so that the program
# carries them without reading anything at run time.
#   cmake -DOUTPUT=file.cc -DNAMESPACE=sc -DFILES="name1=path1|name2=path2" -P embed_files.cmake
# Each name becomes `extern const char name[]` (NUL-terminated) and
# `extern const unsigned long long name_size` (without the NUL).
string(REPLACE "|" ";" FILES "${FILES}")
set(content "// Generated from the files named below; do not edit.\nnamespace ${NAMESPACE} {\n")
foreach(entry IN LISTS FILES)
  string(REGEX MATCH "^([^=]+)=(.*)$" _ "${entry}")
  set(name "${CMAKE_MATCH_1}")
  set(path "${CMAKE_MATCH_2}")
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  # Character literals, so that bytes from 0x80 up fit a char without a
  # narrowing conversion; sixteen bytes a line.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REPEAT "'....'," 16 sixteen)
  string(REGEX REPLACE "(${sixteen})" "\\1\n" bytes "${bytes}")
  get_filename_component(file_name "${path}" NAME)
  string(APPEND content "// ${file_name}\nextern const char ${name}[] = {\n${bytes}0};\n"
         "extern const unsigned long long ${name}_size = ${size};\n")
endforeach()
string(APPEND content "}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}.tmp" "${content}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
