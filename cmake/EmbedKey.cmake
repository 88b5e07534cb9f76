# Turns a PEM public key into C++ source defining the PUBLICKEYBLOB Fetchwell trusts.
#   cmake -DPEM=key.pem -DOUT=key.cpp -DOPENSSL=openssl -P EmbedKey.cmake
execute_process(COMMAND ${OPENSSL} rsa -pubin -in ${PEM} -outform MSBLOB -out ${OUT}.blob
    RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PEM} is no RSA public key in PEM form: ${error}")
endif()
file(READ ${OUT}.blob hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUT} "// Made by cmake/EmbedKey.cmake from ${PEM}.\n#include \"updater/signature.h\"\n\nnamespace updater {\nconst unsigned char kUpdateKeyBlob[] = {${bytes}};\nconst size_t kUpdateKeyBlobSize = ${size};\n}  // namespace updater\n")
