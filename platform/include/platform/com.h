#pragma once
// Component types: the real COM headers on Windows, our own ABI with the same shapes elsewhere.
#ifdef _WIN32
#include <oaidl.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <windows.h>
#else
#include "platform/posix_com_abi.h"
#endif
