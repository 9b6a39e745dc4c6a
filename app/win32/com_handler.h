// A COM object for one WebView2 callback interface, calling a C++ function.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>
#include <functional>

namespace quillvarden::win32host {

template <typename Interface, const GUID& kInterfaceId, typename... Args>
class ComHandler final : public Interface {
public:
    using Function = std::function<HRESULT(Args...)>;

    // Created with one reference, which the caller hands on (or releases).
    static Interface* create(Function function) { return new ComHandler(std::move(function)); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, kInterfaceId)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Invoke(Args... args) override { return function_(args...); }

private:
    explicit ComHandler(Function function) : function_(std::move(function)) {}
    std::atomic<ULONG> references_{1};
    Function function_;
};

}  // namespace quillvarden::win32host
