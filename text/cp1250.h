#pragma once
// Windows-1250, the program's own text, to and from Unicode code points:
// the program's own table, so that the portable core converts without the
// platform. The five bytes the code page leaves undefined stand for the code
// points of the same number, as Windows maps them.
#include <cstdint>

char32_t UnicodeOf1250(unsigned char byte);
// The Windows-1250 byte of a code point; '?' for one the code page lacks.
char Cp1250Of(char32_t codePoint);
