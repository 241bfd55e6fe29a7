#include "status_event.h"

#include <cstddef>

namespace pos::printer {

namespace {
constexpr char kEventMethod[] = "SOStatusUpdate";
}  // namespace

bool fireStatusUpdateEvent(IDispatch* target, std::int32_t status, DISPID& lastId,
                           TraceLog& trace) {
    if (target == nullptr) {
        trace.Write("Fire_StatusUpdateEvent:Dispatch not initial!\n");
        return false;
    }
    OLECHAR name[sizeof kEventMethod];
    for (std::size_t i = 0; i < sizeof kEventMethod; ++i)
        name[i] = static_cast<OLECHAR>(kEventMethod[i]);
    LPOLESTR names[] = {name};
    HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, GetUserDefaultLCID(), &lastId);
    if (FAILED(hr)) {
        trace.Write("Fire_StatusUpdateEvent:Can't find dispatch ID!\nError Code:0x%x\n",
                    static_cast<unsigned>(hr));
        return false;
    }

    // VT_INT, not VT_I4: what control objects of this family have always been given.
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_INT;
    argument.intVal = status;
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    hr = target->Invoke(lastId, IID_NULL, GetUserDefaultLCID(), DISPATCH_METHOD, &parameters,
                        &result, nullptr, nullptr);
    VariantClear(&result);
    if (FAILED(hr)) {
        trace.Write("Fire_StatusUpdateEvent:Fire event failed!\nError Code:0x%x\n",
                    static_cast<unsigned>(hr));
        return false;
    }
    trace.Write("Fire_StatusUpdateEvent:Fire event success!\n");
    return true;
}

}  // namespace pos::printer
