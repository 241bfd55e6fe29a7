#pragma once
// Type libraries embedded in component libraries (Windows); elsewhere there are none.
#include <string>

#include "platform/com.h"

namespace pos::platform {

// The type information of one interface from the library's embedded type library, with a
// reference for the caller; nullptr when there is none.
ITypeInfo* loadTypeInfo(const std::string& modulePath, REFGUID interfaceId);
HRESULT registerTypeLibrary(const std::string& modulePath);
HRESULT unregisterTypeLibrary(REFGUID libraryId, unsigned short major, unsigned short minor,
                              LCID lcid);

}  // namespace pos::platform
