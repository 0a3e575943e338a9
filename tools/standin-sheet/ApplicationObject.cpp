#include "ApplicationObject.h"

#include "RangeObject.h"
#include "Text.h"

#include <cstdio>

namespace pagora::standin {

HRESULT ApplicationObject::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID__Application) {
        if (const Failure* failure = services_.Receive("QueryInterface", "_Application"))
            return failure->hr;
        *object = static_cast<_Application*>(this);
    } else if (iid == IID_IUnknown || iid == IID_IDispatch) {
        *object = static_cast<_Application*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else if (iid == IID_IExternalConnection) {
        *object = static_cast<IExternalConnection*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ApplicationObject::AddRef() {
    return ++references_;
}

ULONG ApplicationObject::Release() {
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

// The application object is meant to be reached through its vtable; its
// late-bound side offers nothing.
HRESULT ApplicationObject::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT ApplicationObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT ApplicationObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

HRESULT ApplicationObject::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                  EXCEPINFO*, UINT*) {
    services_.Receive("Invoke", Hex32(static_cast<unsigned long>(member)));
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT ApplicationObject::get_Range(VARIANT cell1, VARIANT cell2, IDispatch** range) {
    if (range)
        *range = nullptr;
    const std::string arguments = DescribeArgument(cell1) + " " + DescribeArgument(cell2);
    if (const Failure* failure = services_.Receive("Range", arguments))
        return FailThroughErrorInfo(*failure, IID__Application);
    if (!range)
        return E_POINTER;
    // Whatever cells are asked for, the stand-in answers with A1: that is
    // the only range a client starts from.
    *range = new RangeObject(services_, Extent::CellA1);
    return S_OK;
}

HRESULT ApplicationObject::put_Setting244(LCID lcid, VARIANT_BOOL value) {
    char arguments[32];
    std::snprintf(arguments, sizeof arguments, "lcid=0x%04lX %d", static_cast<unsigned long>(lcid),
                  value);
    if (const Failure* failure = services_.Receive("put_Setting244", arguments))
        return FailThroughErrorInfo(*failure, IID__Application);
    return S_OK;
}

HRESULT ApplicationObject::put_Setting276(VARIANT_BOOL value) {
    if (const Failure* failure = services_.Receive("put_Setting276", std::to_string(value)))
        return FailThroughErrorInfo(*failure, IID__Application);
    return S_OK;
}

HRESULT ApplicationObject::Unserved(int entry) {
    services_.Receive("Reserved" + std::to_string(entry), "");
    return E_NOTIMPL;
}

HRESULT ApplicationObject::InterfaceSupportsErrorInfo(REFIID iid) {
    return iid == IID__Application ? S_OK : S_FALSE;
}

// COM tells the object when the first strong reference from outside comes
// and when the last one goes: the client's attach and its final release. The
// registration in the running object table is weak, so it counts for none.
DWORD ApplicationObject::AddConnection(DWORD type, DWORD) {
    if (type & EXTCONN_STRONG)
        ++connections_;
    return connections_;
}

DWORD ApplicationObject::ReleaseConnection(DWORD type, DWORD, BOOL) {
    if (!(type & EXTCONN_STRONG) || connections_ == 0)
        return connections_;
    if (--connections_ == 0 && watching_)
        services_.Note("Release");
    return connections_;
}

} // namespace pagora::standin
