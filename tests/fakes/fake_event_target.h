#pragma once
// A control object's dispatch interface as the service object sees it: answers the name
// lookup and records every call, from whichever thread it comes.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/com.h"

namespace pos::testing {

class FakeEventTarget final : public IDispatch {
  public:
    struct Invocation {
        DISPID id = 0;
        bool nullInterface = false;
        LCID locale = 0;
        WORD flags = 0;
        UINT arguments = 0;
        UINT namedArguments = 0;
        VARTYPE type = VT_EMPTY;
        std::int32_t value = 0;
        bool resultGiven = false;
        bool exceptionGiven = false;
        bool argErrorGiven = false;
    };

    HRESULT lookupAnswer = S_OK;
    HRESULT invokeAnswer = S_OK;
    DISPID idToGive = 5;
    // Runs inside Invoke, on the caller's thread, as an application's event handler does.
    std::function<void(std::int32_t)> onEvent;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        if (out != nullptr) *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        std::lock_guard lock(mutex_);
        std::u16string name;
        for (const OLECHAR* c = names[0]; *c != 0; ++c) name.push_back(static_cast<char16_t>(*c));
        lookups_.push_back({name, count, locale, IsEqualGUID(iid, IID_NULL)});
        if (FAILED(lookupAnswer)) return lookupAnswer;
        ids[0] = idToGive;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override {
        Invocation call;
        call.id = id;
        call.nullInterface = IsEqualGUID(iid, IID_NULL);
        call.locale = locale;
        call.flags = flags;
        call.arguments = params->cArgs;
        call.namedArguments = params->cNamedArgs;
        if (params->cArgs > 0) {
            call.type = params->rgvarg[0].vt;
            call.value = params->rgvarg[0].intVal;
        }
        call.resultGiven = result != nullptr;
        call.exceptionGiven = exception != nullptr;
        call.argErrorGiven = argError != nullptr;
        if (onEvent) onEvent(call.value);
        {
            std::lock_guard lock(mutex_);
            invocations_.push_back(call);
        }
        changed_.notify_all();
        return invokeAnswer;
    }

    struct Lookup {
        std::u16string name;
        UINT count;
        LCID locale;
        bool nullInterface;
    };
    std::vector<Lookup> lookups() {
        std::lock_guard lock(mutex_);
        return lookups_;
    }
    std::vector<Invocation> invocations() {
        std::lock_guard lock(mutex_);
        return invocations_;
    }
    // The status values received so far.
    std::vector<std::int32_t> statuses() {
        std::lock_guard lock(mutex_);
        std::vector<std::int32_t> values;
        for (const auto& call : invocations_) values.push_back(call.value);
        return values;
    }
    // Blocks until count events have come or the timeout passes; the values received.
    std::vector<std::int32_t> waitForStatuses(
        std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, timeout, [&] { return invocations_.size() >= count; });
        }
        return statuses();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Lookup> lookups_;
    std::vector<Invocation> invocations_;
};

}  // namespace pos::testing
