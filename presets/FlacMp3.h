#pragma once

#include "presets/MediaPreset.h"

// Presets that produce MP3 files.
class AudioMp3 : public MediaPreset {
  protected:
    using MediaPreset::MediaPreset;
};

// The program's catalogue: FLAC sources to MP3.
class FlacMp3 : public AudioMp3 {
  public:
    FlacMp3();
    const wchar_t* outputExtension(int index) const override;
};

// The table FlacMp3 walks, terminator included.
extern const PresetEntry kFlacMp3Presets[];
