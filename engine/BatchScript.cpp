#include "engine/BatchScript.h"

#include <shlobj.h>

#include "engine/ConvertCore.h"
#include "engine/ConverterTool.h"

namespace script {

namespace {

// Names tried after a taken one before giving up; far more than any number of
// copies of the program can hold at once.
constexpr int kMaxNameAttempts = 1000;

// Replaces each "%s" of format, in order, with the next of values.
std::wstring formatLine(const wchar_t* format, std::initializer_list<std::wstring> values) {
    std::wstring line;
    auto value = values.begin();
    for (const wchar_t* p = format; *p; ++p) {
        if (p[0] == L'%' && p[1] == L's' && value != values.end()) {
            line += *value++;
            ++p;
        } else {
            line += *p;
        }
    }
    return line;
}

bool sameVariableName(const std::wstring& entry, const Variable& variable) {
    const size_t length = variable.name.size();
    return entry.size() > length && entry[length] == L'=' &&
           ::CompareStringOrdinal(entry.c_str(), static_cast<int>(length), variable.name.c_str(),
                                  static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool isPlainText(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c < 0x20 || c > 0x7E || c == L'%') {
            return false;
        }
    }
    return true;
}

std::wstring pathReference(const std::wstring& path,
                           const wchar_t* variableName,
                           Variables& variables) {
    if (isPlainText(path)) {
        return path;
    }
    variables.push_back({variableName, path});
    return std::wstring(L"%") + variableName + L"%";
}

std::wstring scriptText(uint32_t codePage,
                        const std::wstring& scriptPath,
                        const std::wstring& corePath,
                        const std::wstring& sourcePath,
                        const wchar_t* arguments,
                        const wchar_t* outputPath,
                        Variables& variables) {
    const std::wstring core = pathReference(corePath, kConverterVariable, variables);
    const std::wstring source = pathReference(sourcePath, kSourceVariable, variables);
    std::wstring text = L"chcp " + std::to_wstring(static_cast<int32_t>(codePage)) + L"\n\n";
    if (outputPath) {
        text += formatLine(converter::kConvertCommandFormat,
                           {core, source, arguments ? arguments : L"",
                            pathReference(outputPath, kOutputVariable, variables)});
    } else {
        text += formatLine(converter::kProbeCommandFormat, {core, source});
    }
    text += L"\n\ndel \"" + pathReference(scriptPath, kScriptVariable, variables) + L"\"";
    return text;
}

std::string scriptBytes(const std::wstring& text) {
    std::wstring crlf;
    crlf.reserve(text.size() + 8);
    for (wchar_t c : text) {
        if (c == L'\n') {
            crlf += L'\r';
        }
        crlf += c;
    }
    if (crlf.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()), &bytes[0],
                              size, nullptr, nullptr);
    }
    return bytes;
}

std::wstring appDataFolder() {
    wchar_t folder[MAX_PATH] = L"";
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_APPDATA, FALSE)) {
        folder[0] = L'\0';
    }
    return folder;
}

std::wstring scriptFolder() {
    return appDataFolder() + L"\\" + kFolderName;
}

std::wstring numberedFileName(const std::wstring& folder,
                              const wchar_t* prefix,
                              int32_t number,
                              const wchar_t* extension) {
    return folder + L"\\" + prefix + std::to_wstring(number) + extension;
}

utils::unique_hfile createNumberedFile(const std::wstring& folder,
                                       const wchar_t* prefix,
                                       int32_t number,
                                       const wchar_t* extension,
                                       std::wstring& path) {
    uint32_t candidate = static_cast<uint32_t>(number);
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt, ++candidate) {
        path = numberedFileName(folder, prefix, static_cast<int32_t>(candidate), extension);
        utils::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                               nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                               nullptr));
        if (file) {
            return file;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    path.clear();
    return {};
}

std::vector<wchar_t> environmentBlockWith(const Variables& variables) {
    std::vector<wchar_t> block;
    if (wchar_t* own = ::GetEnvironmentStringsW()) {
        for (const wchar_t* entry = own; *entry; entry += wcslen(entry) + 1) {
            const std::wstring text(entry);
            bool replaced = false;
            for (const Variable& variable : variables) {
                replaced = replaced || sameVariableName(text, variable);
            }
            if (!replaced) {
                block.insert(block.end(), text.begin(), text.end());
                block.push_back(L'\0');
            }
        }
        ::FreeEnvironmentStringsW(own);
    }
    for (const Variable& variable : variables) {
        const std::wstring entry = variable.name + L"=" + variable.value;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    if (block.size() == 1) {
        block.push_back(L'\0');
    }
    return block;
}

}  // namespace script

std::wstring ConvertCore::writeBatchScript(const std::wstring& sourcePath,
                                           const wchar_t* arguments,
                                           const wchar_t* outputPath) {
    const std::wstring folder = script::scriptFolder();
    ::CreateDirectoryW(folder.c_str(), nullptr);

    std::wstring scriptPath;
    utils::unique_hfile file = script::createNumberedFile(folder, script::kScriptPrefix,
                                                          static_cast<int32_t>(::GetTickCount()),
                                                          script::kScriptExtension, scriptPath);
    if (!file) {
        return {};
    }
    script::Variables variables;
    const std::string bytes = script::scriptBytes(script::scriptText(
        ::GetACP(), scriptPath, corePath, sourcePath, arguments, outputPath, variables));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    file.reset();
    scriptVariables[scriptPath] = std::move(variables);
    return scriptPath;
}

void ConvertCore::deleteScript(const std::wstring& scriptPath) {
    if (scriptPath.empty()) {
        return;
    }
    ::DeleteFileW(scriptPath.c_str());
    scriptVariables.erase(scriptPath);
}
