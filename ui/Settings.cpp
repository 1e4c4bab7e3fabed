#include "ui/Settings.h"

#include <cstring>
#include <cwchar>

#include "ui/AppState.h"
#include "utils/unique_resource.h"

namespace {

const wchar_t kKeyParent[] = L"Software\\";
const wchar_t kCompanyName[] = L"Tovarel Voviz Ezorirudo";
const wchar_t kFolderValue[] = L"out_dir";
constexpr wchar_t kSentinel = L'\xFFFF';
constexpr REGSAM kReadAccess = KEY_READ;
constexpr REGSAM kReadWriteAccess = KEY_READ | KEY_WRITE;

utils::unique_hkey openKey(const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key) == ERROR_SUCCESS) {
        return utils::unique_hkey(key);
    }
    return {};
}

utils::unique_hkey createKey(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          kReadWriteAccess, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        return utils::unique_hkey(key);
    }
    return {};
}

}  // namespace

std::wstring settingsKeyPath() {
    if (!app::catalogue) {
        return {};
    }
    const wchar_t* extension = app::catalogue->outputExtension(0);
    return std::wstring(kKeyParent) + kCompanyName + L"\\" + (extension ? extension : L"");
}

std::wstring decodeFolderValue(DWORD type, const BYTE* data, DWORD size) {
    if (type != REG_SZ || size > kMaxFolderValueBytes || (!data && size > 0)) {
        return {};
    }
    const size_t units = size / sizeof(wchar_t);
    std::wstring text(units, L'\0');
    if (units > 0) {
        std::memcpy(text.data(), data, units * sizeof(wchar_t));
    }
    text.resize(::wcsnlen(text.c_str(), units));
    return text;
}

std::wstring loadOutputFolder() {
    const std::wstring path = settingsKeyPath();
    if (path.empty()) {
        return {};
    }
    utils::unique_hkey key = openKey(path, kReadAccess);
    if (!key) {
        key = createKey(path);
    }
    if (!key) {
        return {};
    }
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), kFolderValue, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ || size > kMaxFolderValueBytes) {
        return {};
    }
    BYTE data[kMaxFolderValueBytes] = {};
    size = sizeof(data);
    if (::RegQueryValueExW(key.get(), kFolderValue, nullptr, &type, data, &size) != ERROR_SUCCESS) {
        return {};
    }
    return decodeFolderValue(type, data, size);
}

bool saveOutputFolder(const std::wstring& folder) {
    const std::wstring path = settingsKeyPath();
    if (path.empty()) {
        return false;
    }
    utils::unique_hkey key = openKey(path, kReadWriteAccess);
    if (!key) {
        key = createKey(path);
    }
    if (!key) {
        return false;
    }
    // Stored without a terminator. RegSetValueExW adds one to a REG_SZ when it
    // finds a NUL right after the counted bytes; a sentinel there keeps the
    // stored length exactly the text's.
    std::wstring data = folder;
    data.push_back(kSentinel);
    ::RegSetValueExW(key.get(), kFolderValue, 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>(folder.size() * sizeof(wchar_t)));
    return true;
}
