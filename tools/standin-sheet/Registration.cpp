#include "Registration.h"

#include "ComSupport.h"
#include "Text.h"

#include <stdexcept>
#include <string>

// oleaut32 exports it, but the toolchain's headers do not declare it.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path,
                                                 OLECHAR* helpDir);

namespace pagora::standin {
namespace {

constexpr wchar_t kClsidText[] = L"{00024500-0000-0000-C000-000000000046}";
constexpr wchar_t kProgId[] = L"Excel.Application";

// The key at `path`, created when missing, with `value` as its default value.
void SetDefaultValue(HKEY parent, const std::wstring& path, const std::wstring& value) {
    UniqueKey key;
    const LONG status = RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                                        key.Put(), nullptr);
    if (status != ERROR_SUCCESS)
        throw std::runtime_error("cannot create registry key " + WideToUtf8(path) + ", error " +
                                 std::to_string(status));
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   bytes);
}

std::wstring ExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

} // namespace

void RegisterTypeLibrary() {
    std::wstring exe = ExePath();
    ComPtr<ITypeLib> library;
    ThrowIfFailed(LoadTypeLibEx(exe.c_str(), REGKIND_NONE, library.Put()),
                  "loading the embedded type library");
    // Without the rights to the machine-wide keys, the user's keys serve
    // this user's processes just as well.
    if (FAILED(RegisterTypeLib(library.Get(), exe.data(), nullptr)))
        ThrowIfFailed(RegisterTypeLibForUser(library.Get(), exe.data(), nullptr),
                      "registering the type library");
}

void RegisterProgId() {
    SetDefaultValue(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsidText + L"\\ProgID",
                    kProgId);
    SetDefaultValue(HKEY_CLASSES_ROOT, std::wstring(kProgId) + L"\\CLSID", kClsidText);
}

void RemoveProgId() {
    // The class key holds nothing but the ProgID here, and a class key left
    // empty answers REGDB_E_KEYMISSING instead of the unknown class a client
    // meets where nobody registered one: both go. Wine's OLE of either width
    // also looks in the other width's view of the registry when its own has
    // no name, so they go from both views.
    const std::wstring classKey = std::wstring(L"CLSID\\") + kClsidText;
    for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        for (const std::wstring& key : {classKey + L"\\ProgID", classKey}) {
            const LONG status = RegDeleteKeyExW(HKEY_CLASSES_ROOT, key.c_str(), view, 0);
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
                throw std::runtime_error("cannot remove " + WideToUtf8(key) + ", error " +
                                         std::to_string(status));
        }
}

} // namespace pagora::standin
