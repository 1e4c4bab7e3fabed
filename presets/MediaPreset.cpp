#include "presets/MediaPreset.h"

const PresetEntry* MediaPreset::rowAt(int index) const {
    if (!table_ || index < 0) {
        return nullptr;
    }
    for (int row = 0; table_[row].name; ++row) {
        if (row == index) {
            return &table_[row];
        }
    }
    return nullptr;
}

int MediaPreset::presetCount() const {
    if (!table_) {
        return 0;
    }
    int count = 0;
    while (table_[count].name) {
        ++count;
    }
    return count;
}

std::wstring MediaPreset::presetName(int index) const {
    const PresetEntry* row = rowAt(index);
    return row ? std::wstring(row->name) : std::wstring();
}

std::wstring MediaPreset::presetArguments(int index) const {
    const PresetEntry* row = rowAt(index);
    return row && row->arguments ? std::wstring(row->arguments) : std::wstring();
}
