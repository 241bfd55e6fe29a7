#pragma once
// The COM identity of a service-object class: reference counting with aggregation, IDispatch
// from a dispatch table, and an empty connection-point container (events travel through the
// dispatch pointer the control object hands to OpenService).
#include <atomic>
#include <new>
#include <span>

#include "dispatch_table.h"
#include "module_lock.h"
#include "platform/com.h"
#include "platform/type_library.h"

namespace pos::component {

template <class Derived, class Interface, class Service>
class DispatchObject : public Interface, public IConnectionPointContainer {
  public:
    // The new object's interface riid, or an error; outer may aggregate it (then riid must be
    // IUnknown, and the inner unknown is handed out).
    static HRESULT create(IUnknown* outer, REFIID riid, void** out, Service& service) {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr && !IsEqualGUID(riid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) Derived(outer, service);
        if (object == nullptr) return E_OUTOFMEMORY;
        IUnknown* inner = &object->inner_;
        const HRESULT hr = inner->QueryInterface(riid, out);
        inner->Release();  // drops the creation reference; a failed query frees the object
        return hr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        return outer_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return outer_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return outer_->Release(); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        ITypeInfo* info = Derived::typeInfo();
        *count = info != nullptr ? 1 : 0;
        if (info != nullptr) info->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (info == nullptr) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        *info = Derived::typeInfo();
        return *info != nullptr ? S_OK : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!IsEqualGUID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return idsOfNames(table(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* args,
                                     VARIANT* result, EXCEPINFO*, UINT* argError) override {
        if (!IsEqualGUID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return invokeMethod(table(), service_, id, flags, args, result, argError);
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points != nullptr) *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint** point) override {
        if (point == nullptr) return E_POINTER;
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }

  protected:
    DispatchObject(IUnknown* outer, Service& service)
        : inner_(this), outer_(outer != nullptr ? outer : &inner_), service_(service) {
        ModuleLock::lock();
    }
    ~DispatchObject() { ModuleLock::unlock(); }

    static std::span<const Method<Service>> table() { return Derived::methods(); }

    template <class... A>
    HRESULT call(DISPID id, A... args) {
        return callById(table(), service_, id, args...);
    }

  private:
    // The non-delegating unknown: the object's own identity and lifetime.
    struct Inner final : IUnknown {
        explicit Inner(DispatchObject* owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
            if (out == nullptr) return E_POINTER;
            if (IsEqualGUID(riid, IID_IUnknown)) {
                *out = static_cast<IUnknown*>(this);
            } else if (IsEqualGUID(riid, IID_IDispatch) ||
                       IsEqualGUID(riid, Derived::interfaceId())) {
                *out = static_cast<Interface*>(owner_);
            } else if (IsEqualGUID(riid, IID_IConnectionPointContainer)) {
                *out = static_cast<IConnectionPointContainer*>(owner_);
            } else {
                *out = nullptr;
                return E_NOINTERFACE;
            }
            static_cast<IUnknown*>(*out)->AddRef();
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
        ULONG STDMETHODCALLTYPE Release() override {
            const ULONG left = --refs_;
            if (left == 0) delete static_cast<Derived*>(owner_);
            return left;
        }
        DispatchObject* owner_;
        std::atomic<ULONG> refs_{1};
    };

    Inner inner_;
    IUnknown* outer_;
    Service& service_;
};

// The class factory of one class; every instance it makes works on the one service.
template <class Object, class Service>
class ClassFactory final : public IClassFactory {
  public:
    explicit ClassFactory(Service& service) : service_(service) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        if (refs_++ == 0) ModuleLock::lock();
        return refs_;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) ModuleLock::unlock();
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        return Object::create(outer, riid, out, service_);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) {
            ModuleLock::lock();
        } else {
            ModuleLock::unlock();
        }
        return S_OK;
    }

  private:
    Service& service_;
    std::atomic<ULONG> refs_{0};
};

}  // namespace pos::component
