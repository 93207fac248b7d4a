# Turns one file into a C++ source with a byte array (run in script mode by km_embed_resources).
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hex_len)
math(EXPR size "${hex_len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUT} "extern const unsigned char ${SYMBOL}[] = {${bytes}0};\nextern const unsigned long ${SYMBOL}_size = ${size};\n")
