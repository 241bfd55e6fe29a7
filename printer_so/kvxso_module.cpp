// The library's four entry points and its one printer service.
#include <mutex>
#include <optional>

#include "component/module_export.h"
#include "platform/dynamic_library.h"
#include "platform/message_pump.h"
#include "platform/registry_store.h"
#include "platform/serial_port.h"
#include "platform/type_library.h"
#include "platform/usb_devices.h"
#include "printer_identity.h"
#include "printer_registration.h"
#include "rprinter_object.h"

namespace {

using pos::printer::PrinterService;
using Factory = pos::component::ClassFactory<pos::printer::RPrinterObject, PrinterService>;

struct Module {
    Module()
        : service(pos::printer::PrinterPlatform{
              .serial = pos::platform::createSerialPort(),
              .usb = pos::platform::createUsbDevices(),
              .pump = pos::platform::createMessagePump(),
              .openRegistry = [] { return pos::platform::openSystemRegistry(); },
              .traceDirectory = {},
          }),
          factory(service) {}
    PrinterService service;
    Factory factory;
};

// Made on first use and ended when the library unloads.
Module& module() {
    static Module instance;
    return instance;
}

std::string modulePath() {
    return pos::platform::modulePathOf(reinterpret_cast<const void*>(&modulePath));
}

}  // namespace

POS_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllCanUnloadNow() {
    return pos::component::ModuleLock::count() == 0 ? S_OK : S_FALSE;
}

POS_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid,
                                                                 void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualGUID(clsid, pos::printer::kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return module().factory.QueryInterface(riid, out);
}

POS_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllRegisterServer() {
    auto store = pos::platform::openSystemRegistry();
    if (!store) return SELFREG_E_CLASS;
    const std::string path = modulePath();
    if (!pos::component::registerKeys(*store, pos::platform::Hive::ClassesRoot,
                                      pos::printer::printerRegistration(path))) {
        return SELFREG_E_CLASS;
    }
    return FAILED(pos::platform::registerTypeLibrary(path)) ? SELFREG_E_TYPELIB : S_OK;
}

POS_COMPONENT_EXPORT HRESULT STDMETHODCALLTYPE DllUnregisterServer() {
    auto store = pos::platform::openSystemRegistry();
    if (!store) return SELFREG_E_CLASS;
    if (!pos::component::unregisterKeys(*store, pos::platform::Hive::ClassesRoot,
                                        pos::printer::printerRegistration(modulePath()))) {
        return SELFREG_E_CLASS;
    }
    // A type library that was never registered is not an error here.
    pos::platform::unregisterTypeLibrary(pos::printer::kLibid, pos::printer::kLibMajor,
                                         pos::printer::kLibMinor, pos::printer::kLibLocale);
    return S_OK;
}
