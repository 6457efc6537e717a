# Writes a C++ source that holds files as byte arrays, one `EmbeddedFile` each, in the order
# given. Run as a script: cmake -DOUTPUT=out.cpp -DHEADER=name.h -DFILES="a|b" -P embed-files.cmake
string(REPLACE "|" ";" FILES "${FILES}")
set(body "")
set(table "")
set(index 0)
foreach(file IN LISTS FILES)
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n    "
           bytes "${bytes}")
    get_filename_component(name ${file} NAME)
    string(APPEND body "const unsigned char kFile${index}[] = {\n    ${bytes}\n};\n")
    string(APPEND table "    {\"${name}\", kFile${index}, sizeof kFile${index}},\n")
    math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from the files it names; do not edit.\n#include \"${HEADER}\"\n\n"
     "namespace drape {\n\nnamespace {\n${body}}  // namespace\n\n"
     "const EmbeddedFile kEmbeddedIcons[] = {\n${table}};\n"
     "const size_t kEmbeddedIconCount = ${index};\n\n}  // namespace drape\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
