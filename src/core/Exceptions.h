// The program's failures. Each class reports its own name exactly, because
// the name is part of what the user reads on the status line.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace pagora {

class Exception : public std::exception {
public:
    explicit Exception(std::string message = {}) : message_(std::move(message)) {}
    virtual const char* ClassName() const noexcept { return "Exception"; }
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

#define PAGORA_EXCEPTION(Name, Base)                                                               \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
        const char* ClassName() const noexcept override { return #Name; }                          \
    }

PAGORA_EXCEPTION(EOleError, Exception);
class EOleSysError : public EOleError {
public:
    explicit EOleSysError(std::string message = {}, std::int32_t code = 0)
        : EOleError(std::move(message)), ErrorCode(code) {}
    const char* ClassName() const noexcept override { return "EOleSysError"; }
    std::int32_t ErrorCode;
};
class EOleException : public EOleSysError {
public:
    EOleException(std::string message, std::int32_t code, std::string source = {},
                  std::string helpFile = {})
        : EOleSysError(std::move(message), code), Source(std::move(source)),
          HelpFile(std::move(helpFile)) {}
    const char* ClassName() const noexcept override { return "EOleException"; }
    std::string Source;
    std::string HelpFile;
};
PAGORA_EXCEPTION(EIntfCastError, Exception);

PAGORA_EXCEPTION(EVariantError, Exception);
PAGORA_EXCEPTION(EVariantInvalidOpError, EVariantError);
PAGORA_EXCEPTION(EVariantTypeCastError, EVariantError);
PAGORA_EXCEPTION(EVariantOverflowError, EVariantError);
PAGORA_EXCEPTION(EVariantInvalidArgError, EVariantError);
PAGORA_EXCEPTION(EVariantBadVarTypeError, EVariantError);
PAGORA_EXCEPTION(EVariantBadIndexError, EVariantError);
PAGORA_EXCEPTION(EVariantArrayLockedError, EVariantError);
PAGORA_EXCEPTION(EVariantNotImplError, EVariantError);
PAGORA_EXCEPTION(EVariantOutOfMemoryError, EVariantError);
PAGORA_EXCEPTION(EVariantUnexpectedError, EVariantError);

PAGORA_EXCEPTION(EDatabaseError, Exception);
PAGORA_EXCEPTION(EConvertError, Exception);
PAGORA_EXCEPTION(EEncodingError, Exception);
PAGORA_EXCEPTION(EDSWriter, Exception);
PAGORA_EXCEPTION(EHeapException, Exception);
PAGORA_EXCEPTION(EOutOfMemory, EHeapException);

class EInOutError : public Exception {
public:
    EInOutError(std::string message, int code) : Exception(std::move(message)), ErrorCode(code) {}
    const char* ClassName() const noexcept override { return "EInOutError"; }
    int ErrorCode;
};

} // namespace pagora
