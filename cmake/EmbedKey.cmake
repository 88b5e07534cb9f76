# Turns PEM public keys into C++ source defining the PUBLICKEYBLOBs Fetchwell and Quorvex trust.
#   cmake -DPEMS=first.pem|second.pem -DOUT=keys.cpp -DOPENSSL=openssl -P EmbedKey.cmake
# The keys are separated by "|" on the command line (a CMake list would split the argument).
string(REPLACE "|" ";" pems "${PEMS}")
set(blobs "")
set(entries "")
set(index 0)
foreach(pem IN LISTS pems)
    execute_process(COMMAND ${OPENSSL} rsa -pubin -in ${pem} -outform MSBLOB -out ${OUT}.blob
        RESULT_VARIABLE status ERROR_VARIABLE error)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${pem} is no RSA public key in PEM form: ${error}")
    endif()
    file(READ ${OUT}.blob hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(APPEND blobs "// ${pem}\nconst unsigned char kKey${index}[] = {${bytes}};\n")
    string(APPEND entries "{kKey${index}, sizeof(kKey${index})},")
    math(EXPR index "${index} + 1")
endforeach()
if(index EQUAL 0)
    message(FATAL_ERROR "no update key given")
endif()
file(WRITE ${OUT} "// Made by cmake/EmbedKey.cmake.\n#include \"updater/signature.h\"\n\nnamespace updater {\nnamespace {\n${blobs}}  // namespace\nconst KeyBlob kUpdateKeys[] = {${entries}};\nconst size_t kUpdateKeyCount = ${index};\n}  // namespace updater\n")
