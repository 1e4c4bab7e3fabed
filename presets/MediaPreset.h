#pragma once

#include <string>

// One row of a preset table. A row whose name is null ends the table.
struct PresetEntry {
    const wchar_t* name;
    const wchar_t* arguments;
    const wchar_t* extension;  // not read by the catalogue
};

// A catalogue of output presets over a static, read-only table.
class MediaPreset {
  public:
    explicit MediaPreset(const PresetEntry* table) : table_(table) {}
    virtual ~MediaPreset() = default;

    // Output extension without its leading dot; owned by the catalogue.
    virtual const wchar_t* outputExtension(int index) const = 0;

    int presetCount() const;
    std::wstring presetName(int index) const;
    std::wstring presetArguments(int index) const;

    MediaPreset(const MediaPreset&) = delete;
    MediaPreset& operator=(const MediaPreset&) = delete;

  private:
    // The row at index, or nullptr when index is not a row before the terminator.
    const PresetEntry* rowAt(int index) const;

    const PresetEntry* table_;
};
