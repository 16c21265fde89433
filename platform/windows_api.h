// windows.h with Winsock 2, for every file that needs the Windows API. Its
// macros that turn names into their ANSI or wide forms would rename this
// program's own functions of the same name (the window operations and the
// settings store); they go, and the API is called by its W names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>  // before windows.h, which would bring the old winsock.h
#include <ws2tcpip.h>

#include <windows.h>

#undef GetDlgItemText
#undef SetDlgItemText
#undef MessageBox
#undef GetProfileString
#undef WriteProfileString
#undef LoadString
