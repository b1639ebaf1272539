#pragma once
// The Windows headers as every file of the user interface sees them: the ANSI
// (code page) functions, no min/max macros. _WIN32_WINNT comes from the build.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <commctrl.h>
