#include "engine/OutputNaming.h"

#include <windows.h>

#include <share.h>
#include <cstdio>

#include "engine/ConvertCore.h"
#include "utils/unique_resource.h"

namespace {

bool fileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    utils::unique_hfile file(::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && ::GetFileInformationByHandle(file.get(), &info);
}

}  // namespace

std::wstring fileNamePart(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring makeOutputPath(const std::wstring& sourcePath,
                            const std::wstring& folder,
                            const std::wstring& outputExt) {
    std::wstring path = folder + L"\\" + fileNamePart(sourcePath);
    if (outputExt.empty()) {
        return path;
    }
    const size_t dot = path.rfind(L'.');
    const size_t slash = path.rfind(L'\\');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
        path += L'.';
    } else {
        path.resize(dot + 1);
    }
    return path + outputExt;
}

bool isSameFile(const std::wstring& first, const std::wstring& second) {
    if (::CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                               static_cast<int>(second.size()), TRUE) == CSTR_EQUAL) {
        return true;
    }
    BY_HANDLE_FILE_INFORMATION a{};
    BY_HANDLE_FILE_INFORMATION b{};
    return fileIdentity(first, a) && fileIdentity(second, b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

bool fileExists(const std::wstring& path) {
    FILE* file = ::_wfsopen(path.c_str(), L"r", _SH_DENYWR);
    if (!file) {
        return false;
    }
    ::fclose(file);
    return true;
}

std::wstring ConvertCore::makeOutputPath(const std::wstring& sourcePath,
                                         const std::wstring& folder) const {
    return ::makeOutputPath(sourcePath, folder, outputExt);
}
