#include "presets/FlacMp3.h"

const PresetEntry kFlacMp3Presets[] = {
    {L"MP3", L"-acodec libmp3lame -b:a 160k -ac 2 -ar 44100", nullptr},
    {nullptr, nullptr, nullptr},
};

FlacMp3::FlacMp3() : AudioMp3(kFlacMp3Presets) {}

const wchar_t* FlacMp3::outputExtension(int /*index*/) const {
    return L"mp3";
}
