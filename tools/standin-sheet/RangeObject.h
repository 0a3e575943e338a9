// A range of the stand-in's sheet, served late-bound only, as the real
// application's range objects are used by the client.
#pragma once

#include "Services.h"

#include <string>

namespace pagora::standin {

// Which cells a range stands for and what its Count counts.
enum class Extent { CellA1, Region, RegionRows, RegionColumns };

class RangeObject final : public IDispatch {
public:
    // The new object starts with one reference, owned by the caller.
    RangeObject(Services& services, Extent extent) : services_(services), extent_(extent) {}
    RangeObject(const RangeObject&) = delete;
    RangeObject& operator=(const RangeObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

private:
    ~RangeObject() = default;

    HRESULT GetRange(const char* call, Extent extent, VARIANT* result, EXCEPINFO* exception);
    HRESULT GetCount(VARIANT* result, EXCEPINFO* exception);
    HRESULT GetValue(const DISPPARAMS& params, VARIANT* result, EXCEPINFO* exception);

    Services& services_;
    const Extent extent_;
    ULONG references_ = 1;
};

} // namespace pagora::standin
