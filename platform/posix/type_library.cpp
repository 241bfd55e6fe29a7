#include "platform/type_library.h"

namespace pos::platform {

ITypeInfo* loadTypeInfo(const std::string&, REFGUID) {
    return nullptr;
}
HRESULT registerTypeLibrary(const std::string&) {
    return S_OK;
}
HRESULT unregisterTypeLibrary(REFGUID, unsigned short, unsigned short, LCID) {
    return S_OK;
}

}  // namespace pos::platform
