// An automation object that lives in the test's own scope: reference counting
// does nothing, and it answers no call but what a test overrides.
#pragma once

#include <windows.h>
// oaidl.h needs windows.h first.
#include <oaidl.h>

namespace pagora {

class FakeDispatch : public IDispatch {
public:
    virtual ~FakeDispatch() = default;
    HRESULT __stdcall QueryInterface(REFIID, void** out) override {
        *out = this;
        return S_OK;
    }
    ULONG __stdcall AddRef() override { return 2; }
    ULONG __stdcall Release() override { return 1; }
    HRESULT __stdcall GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT __stdcall GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT __stdcall GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT __stdcall Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                             UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

} // namespace pagora
