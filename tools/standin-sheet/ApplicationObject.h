// The stand-in's application object: served through the vtable of
// _Application, whose entries 40, 244 and 276 are the ones a client uses.
#pragma once

#include "Services.h"
#include "app_slots.h"
#include "standin_sheet.h"

namespace pagora::standin {

class ApplicationObject final : public _Application,
                                public ISupportErrorInfo,
                                public IExternalConnection {
public:
    // The new object starts with one reference, owned by the caller.
    explicit ApplicationObject(Services& services) : services_(services) {}
    ApplicationObject(const ApplicationObject&) = delete;
    ApplicationObject& operator=(const ApplicationObject&) = delete;

    // From here on the connections that come and go are the server's own
    // (the running object table letting go), not the client's.
    void StopWatchingConnections() { watching_ = false; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override;

    HRESULT STDMETHODCALLTYPE get_Range(VARIANT cell1, VARIANT cell2, IDispatch** range) override;
    HRESULT STDMETHODCALLTYPE put_Setting244(LCID lcid, VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE put_Setting276(VARIANT_BOOL value) override;

#define STANDIN_SLOT(n)                                                                            \
    HRESULT STDMETHODCALLTYPE Reserved##n() override {                                             \
        return Unserved(n);                                                                        \
    }
    STANDIN_SLOTS_BEFORE_RANGE
    STANDIN_SLOTS_BEFORE_SETTING244
    STANDIN_SLOTS_BEFORE_SETTING276
#undef STANDIN_SLOT

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    DWORD STDMETHODCALLTYPE AddConnection(DWORD type, DWORD) override;
    DWORD STDMETHODCALLTYPE ReleaseConnection(DWORD type, DWORD, BOOL) override;

private:
    ~ApplicationObject() = default;

    // A client that miscounts the table of operations lands here, and the
    // log says where.
    HRESULT Unserved(int entry);

    Services& services_;
    ULONG references_ = 1;
    ULONG connections_ = 0;
    bool watching_ = true;
};

} // namespace pagora::standin
