#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "utils/unique_resource.h"

// The batch scripts that run the converter, and the probe logs, live under the
// user's roaming application-data folder.
namespace script {

constexpr wchar_t kFolderName[] = L"Voviz Ezorirudo";  // under %APPDATA%
constexpr wchar_t kScriptPrefix[] = L"rorez";
constexpr wchar_t kScriptExtension[] = L".bat";
constexpr wchar_t kLogPrefix[] = L"nyvrel";  // directly in %APPDATA%
constexpr wchar_t kLogExtension[] = L".txt";

// cmd expands "%" inside a batch line and decodes the line's bytes in a code
// page, so a path that is not plain printable ASCII reaches the child through
// its environment instead, under one of these names.
constexpr wchar_t kConverterVariable[] = L"VELQUORN_CONVERTER";
constexpr wchar_t kSourceVariable[] = L"VELQUORN_SOURCE";
constexpr wchar_t kOutputVariable[] = L"VELQUORN_OUTPUT";
constexpr wchar_t kScriptVariable[] = L"VELQUORN_SCRIPT";

struct Variable {
    std::wstring name;
    std::wstring value;
};
using Variables = std::vector<Variable>;

// True when every character is printable ASCII other than "%".
bool isPlainText(const std::wstring& text);

// The text that stands for path in a script line: the path itself when it is
// plain, else a reference to the variable, which is added to variables.
std::wstring pathReference(const std::wstring& path,
                           const wchar_t* variableName,
                           Variables& variables);

// The whole text of a script. With outputPath a conversion, without it a probe
// (arguments unused). Lines end in "\n"; the file stores them as CR LF.
std::wstring scriptText(uint32_t codePage,
                        const std::wstring& scriptPath,
                        const std::wstring& corePath,
                        const std::wstring& sourcePath,
                        const wchar_t* arguments,
                        const wchar_t* outputPath,
                        Variables& variables);

// The bytes of a script file: UTF-8 without a byte-order mark, LF as CR LF.
std::string scriptBytes(const std::wstring& text);

// The roaming application-data folder, empty when the shell cannot name it.
std::wstring appDataFolder();
// The folder that holds the scripts.
std::wstring scriptFolder();

// folder\<prefix><number><extension>, the number as a signed decimal.
std::wstring numberedFileName(const std::wstring& folder,
                              const wchar_t* prefix,
                              int32_t number,
                              const wchar_t* extension);

// Creates a new, empty file named with number or, when that name is taken, the
// next free number; an existing file is never opened. path receives the name.
utils::unique_hfile createNumberedFile(const std::wstring& folder,
                                       const wchar_t* prefix,
                                       int32_t number,
                                       const wchar_t* extension,
                                       std::wstring& path);

// This process's environment with variables added (replacing any of the same
// name), as a block for CreateProcessW with CREATE_UNICODE_ENVIRONMENT.
std::vector<wchar_t> environmentBlockWith(const Variables& variables);

}  // namespace script
