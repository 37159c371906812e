# Writes OUTPUT, a C++ source that defines the bytes of the files in FILES (a list), in order,
# as the array <NAMESPACE>::<VARIABLE> of std::string_view that HEADER declares.
# Run with: cmake -D OUTPUT=... -D HEADER=... -D NAMESPACE=... -D VARIABLE=... -D FILES=... -P
set(arrays "")
set(views "")
set(index 0)
foreach(file IN LISTS FILES)
  file(READ ${file} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(REGEX REPLACE "(('\\\\x..',){12})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "constexpr char kBytes${index}[] = {\n    ${bytes}};\n")
  string(APPEND views "    std::string_view(kBytes${index}, ${size}),\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new
  "// Written by cmake/embed_files.cmake from ${FILES}; do not edit.\n"
  "#include \"${HEADER}\"\n\nnamespace ${NAMESPACE} {\n\nnamespace {\n\n${arrays}\n}  // namespace\n\n"
  "const std::array<std::string_view, ${index}> ${VARIABLE} = {\n${views}};\n\n"
  "}  // namespace ${NAMESPACE}\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
