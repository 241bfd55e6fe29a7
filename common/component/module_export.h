#pragma once
// The entry points a component library exports and nothing else.
#include "platform/com.h"

#ifdef _WIN32
// Named in the library's .def file.
#define POS_COMPONENT_EXPORT extern "C"
#else
#define POS_COMPONENT_EXPORT extern "C" __attribute__((visibility("default")))
#endif
