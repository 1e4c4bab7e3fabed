#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// The longest "out_dir" value read back: 260 UTF-16 units.
constexpr DWORD kMaxFolderValueBytes = 520;

// Software\Tovarel Voviz Ezorirudo\<extension of preset 0>, under HKCU; empty
// without a catalogue.
std::wstring settingsKeyPath();
// The stored output folder; empty when there is none or it is unusable. The
// first start leaves the key behind, empty.
std::wstring loadOutputFolder();
// False when no key could be opened or created.
bool saveOutputFolder(const std::wstring& folder);

// The folder a stored value holds: only a REG_SZ of at most 520 bytes counts;
// the text is its first size / 2 units, cut at the first NUL.
std::wstring decodeFolderValue(DWORD type, const BYTE* data, DWORD size);
