#include "Services.h"

#include "Text.h"

namespace pagora::standin {
namespace {

constexpr wchar_t kSource[] = L"standin-sheet";

} // namespace

const Failure* Services::Receive(std::string_view call, std::string_view arguments,
                                 std::string_view answer) {
    const Failure* failure = failures_.Check(call);
    std::string line(call);
    if (!arguments.empty())
        line.append(" ").append(arguments);
    if (failure)
        line.append(" failed ").append(Hex32(failure->hr));
    else if (!answer.empty())
        line.append(" ").append(answer);
    log_.Write(line);
    if (failures_.Hangs(call)) {
        log_.Write(line + " hangs");
        Sleep(INFINITE);
    }
    return failure;
}

HRESULT FailThroughErrorInfo(const Failure& failure, REFIID iid) {
    if (failure.description.empty())
        return failure.hr;
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.Put()))) {
        create->SetGUID(iid);
        create->SetSource(const_cast<LPOLESTR>(kSource));
        create->SetDescription(const_cast<LPOLESTR>(failure.description.c_str()));
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.Put()))))
            SetErrorInfo(0, info.Get());
    }
    return failure.hr;
}

HRESULT FailThroughExcepInfo(const Failure& failure, EXCEPINFO* exception) {
    if (failure.description.empty() || !exception)
        return failure.hr;
    *exception = EXCEPINFO{};
    exception->bstrSource = WideToBstr(kSource).Release();
    exception->bstrDescription = WideToBstr(failure.description).Release();
    exception->scode = failure.hr;
    return DISP_E_EXCEPTION;
}

std::string DescribeArgument(const VARIANT& argument) {
    if (argument.vt == VT_BSTR)
        return WideToUtf8(argument.bstrVal ? argument.bstrVal : L"");
    if (argument.vt == VT_I4)
        return std::to_string(argument.lVal);
    if (argument.vt == VT_ERROR && argument.scode == DISP_E_PARAMNOTFOUND)
        return "(missing)";
    const std::string_view kind = KindName(argument.vt);
    Variant text;
    if (kind.empty() || FAILED(VariantChangeTypeEx(text.Put(), const_cast<VARIANT*>(&argument),
                                                   LOCALE_INVARIANT, 0, VT_BSTR)))
        return "(vt " + std::to_string(argument.vt) + ")";
    return std::string(kind) + ":" + WideToUtf8(text.Get().bstrVal);
}

} // namespace pagora::standin
