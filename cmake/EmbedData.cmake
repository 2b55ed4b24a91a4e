# Writes a C++ source that holds files as byte arrays and looks them up by
# name. Run as: cmake -DOUT=file.cpp -DENTRIES="name=path|name=path" -P EmbedData.cmake
if(NOT OUT OR NOT ENTRIES)
    message(FATAL_ERROR "EmbedData.cmake needs OUT and ENTRIES")
endif()

set(body "// Generated from the files in data/ by cmake/EmbedData.cmake. Do not edit.\n")
string(APPEND body "#include \"data/Resources.h\"\n\n#include <array>\n\nnamespace zq::data {\nnamespace {\n\n")
set(table "")
set(index 0)
string(REPLACE "|" ";" ENTRIES "${ENTRIES}")
foreach(entry IN LISTS ENTRIES)
    string(FIND "${entry}" "=" eq)
    string(SUBSTRING "${entry}" 0 ${eq} name)
    math(EXPR start "${eq} + 1")
    string(SUBSTRING "${entry}" ${start} -1 path)
    file(READ "${path}" hex HEX)
    string(LENGTH "${hex}" hexlen)
    math(EXPR size "${hexlen} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    # Keep lines a reasonable length for compilers and editors.
    string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
    string(APPEND body "const std::array<std::uint8_t, ${size}> kData${index} = {\n${bytes}\n};\n\n")
    string(APPEND table "    {\"${name}\", {kData${index}.data(), kData${index}.size()}},\n")
    math(EXPR index "${index} + 1")
endforeach()

string(APPEND body "struct Entry {\n    std::string_view name;\n    std::span<const std::uint8_t> bytes;\n};\n\n")
string(APPEND body "const Entry kEntries[] = {\n${table}};\n\n} // namespace\n\n")
string(APPEND body "std::span<const std::uint8_t> find(std::string_view name)\n{\n    for (const Entry& e : kEntries)\n        if (e.name == name)\n            return e.bytes;\n    return {};\n}\n\n} // namespace zq::data\n")

file(WRITE "${OUT}.tmp" "${body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
