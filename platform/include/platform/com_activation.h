#pragma once
// Creating an in-process component by its programmatic identifier: COM on Windows; on POSIX
// the store's HKCR keys lead to the library, which is loaded and asked for its class factory.
#include <memory>
#include <string>

#include "platform/com.h"
#include "platform/dynamic_library.h"
#include "platform/registry_store.h"

namespace pos::platform {

// Owns the component's dispatch interface and, on POSIX, the library that serves it; the
// object is released before its library unloads.
class ActivatedObject {
  public:
    ActivatedObject() = default;
    ActivatedObject(IDispatch* dispatch, DynamicLibrary library)
        : dispatch_(dispatch), library_(std::move(library)) {}
    ActivatedObject(const ActivatedObject&) = delete;
    ActivatedObject& operator=(const ActivatedObject&) = delete;
    ~ActivatedObject() {
        if (dispatch_ != nullptr) dispatch_->Release();
    }
    IDispatch* dispatch() const { return dispatch_; }

  private:
    IDispatch* dispatch_ = nullptr;
    DynamicLibrary library_;
};

// nullptr with a message in *error when the identifier is unknown or the component does not
// load. store is used on POSIX only.
std::unique_ptr<ActivatedObject> activateByProgId(const std::string& progId, RegistryStore* store,
                                                  std::string* error);

}  // namespace pos::platform
