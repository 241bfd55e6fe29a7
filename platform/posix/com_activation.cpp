#include "platform/com_activation.h"

#include <cstdio>

namespace pos::platform {

namespace {
bool parseGuid(const std::string& text, GUID& g) {
    unsigned d1 = 0, d2 = 0, d3 = 0, b[8] = {};
    char tail = 0;
    if (text.size() != 38 ||
        std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%c", &d1, &d2, &d3, &b[0],
                    &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &tail) != 11) {
        return false;
    }
    g.Data1 = d1;
    g.Data2 = static_cast<std::uint16_t>(d2);
    g.Data3 = static_cast<std::uint16_t>(d3);
    for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<std::uint8_t>(b[i]);
    return true;
}

std::string defaultText(RegistryStore& store, const std::string& key) {
    auto value = store.readValue(Hive::ClassesRoot, key, "");
    return value && value->type != ValueType::DWord ? value->text : std::string();
}

std::unique_ptr<ActivatedObject> fail(std::string* error, std::string message) {
    if (error != nullptr) *error = std::move(message);
    return nullptr;
}
}  // namespace

std::unique_ptr<ActivatedObject> activateByProgId(const std::string& progId, RegistryStore* store,
                                                  std::string* error) {
    if (store == nullptr) return fail(error, "no registry store is available");
    const std::string clsidText = defaultText(*store, progId + "\\CLSID");
    GUID clsid{};
    if (!parseGuid(clsidText, clsid))
        return fail(error, "'" + progId + "' is not a registered component");
    const std::string path = defaultText(*store, "CLSID\\" + clsidText + "\\InprocServer32");
    if (path.empty()) return fail(error, "class " + clsidText + " names no library");
    std::string loadError;
    DynamicLibrary library = DynamicLibrary::open(path, &loadError);
    if (!library.loaded()) return fail(error, "cannot load " + path + ": " + loadError);
    auto getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(library.symbol("DllGetClassObject"));
    if (getClassObject == nullptr) return fail(error, path + " is not a component library");
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || factory == nullptr)
        return fail(error, path + " does not serve class " + clsidText);
    IDispatch* dispatch = nullptr;
    hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    factory->Release();
    if (FAILED(hr) || dispatch == nullptr)
        return fail(error, "class " + clsidText + " could not be created");
    return std::make_unique<ActivatedObject>(dispatch, std::move(library));
}

}  // namespace pos::platform
