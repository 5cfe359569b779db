# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P embed_file.cmake
# Writes a C++ source that holds the bytes of INPUT as
#   extern "C" const unsigned char SYMBOL[];   (followed by one 0 byte)
#   extern "C" const unsigned long long SYMBOL_size;
# so binary data is compiled into a library the same way on every platform.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${INPUT} by cmake/embed_file.cmake; do not edit.
extern \"C\" const unsigned char ${SYMBOL}[] = {
${bytes}0};
extern \"C\" const unsigned long long ${SYMBOL}_size = ${size}ull;
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
