#pragma once

#include <string>

// The text after the last backslash; the whole path when it has none.
std::wstring fileNamePart(const std::wstring& path);

// folder + "\" + the source's file name, its extension replaced by outputExt
// (added when it has none). The backslash is added even after a trailing one.
std::wstring makeOutputPath(const std::wstring& sourcePath,
                            const std::wstring& folder,
                            const std::wstring& outputExt);

// True when the two paths are equal ignoring case, or both name one existing
// file (same volume serial number and file index).
bool isSameFile(const std::wstring& first, const std::wstring& second);

// True when the file opens for reading with writing by others refused; a
// folder or an unreadable file counts as absent.
bool fileExists(const std::wstring& path);
