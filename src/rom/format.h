// printf-style formatting into a string, for messages and progress lines.
#pragma once

#include <string>

// MinGW builds format with MinGW's own
// C99 printf, not the Microsoft one the plain printf attribute would check.
#if defined(__MINGW32__)
#define ROOMXFER_PRINTF_STYLE gnu_printf
#else
#define ROOMXFER_PRINTF_STYLE printf
#endif
std::string Format(const char* format, ...) __attribute__((format(ROOMXFER_PRINTF_STYLE, 1, 2)));
