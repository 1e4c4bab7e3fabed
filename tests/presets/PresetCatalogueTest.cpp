#include <gtest/gtest.h>

#include "presets/FlacMp3.h"

namespace {

// A catalogue over any table, to exercise the base class's walk.
class TableCatalogue : public MediaPreset {
  public:
    explicit TableCatalogue(const PresetEntry* table) : MediaPreset(table) {}
    const wchar_t* outputExtension(int) const override { return L"x"; }
};

TEST(FlacMp3Test, HoldsTheOneMp3Preset) {
    FlacMp3 catalogue;
    EXPECT_EQ(catalogue.presetCount(), 1);
    EXPECT_EQ(catalogue.presetName(0), L"MP3");
    EXPECT_EQ(catalogue.presetArguments(0), L"-acodec libmp3lame -b:a 160k -ac 2 -ar 44100");
}

TEST(FlacMp3Test, TableEndsWithAllNullRow) {
    EXPECT_EQ(kFlacMp3Presets[0].extension, nullptr);
    EXPECT_EQ(kFlacMp3Presets[1].name, nullptr);
    EXPECT_EQ(kFlacMp3Presets[1].arguments, nullptr);
    EXPECT_EQ(kFlacMp3Presets[1].extension, nullptr);
}

TEST(FlacMp3Test, ExtensionIsMp3ForEveryIndex) {
    FlacMp3 catalogue;
    const MediaPreset& base = catalogue;
    for (int index : {0, 1, -1, 1000}) {
        SCOPED_TRACE(index);
        EXPECT_STREQ(base.outputExtension(index), L"mp3");
    }
}

TEST(FlacMp3Test, IndexOutsideTableGivesEmptyTexts) {
    FlacMp3 catalogue;
    for (int index : {1, 2, -1, -100}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(catalogue.presetName(index), L"");
        EXPECT_EQ(catalogue.presetArguments(index), L"");
    }
}

TEST(MediaPresetTest, NullTableIsAnEmptyCatalogue) {
    TableCatalogue catalogue(nullptr);
    EXPECT_EQ(catalogue.presetCount(), 0);
    EXPECT_EQ(catalogue.presetName(0), L"");
    EXPECT_EQ(catalogue.presetArguments(0), L"");
}

TEST(MediaPresetTest, NullNameInFirstRowMeansNoPresets) {
    static const PresetEntry table[] = {
        {nullptr, L"-ignored", nullptr}, {L"late", L"-a", nullptr}, {nullptr, nullptr, nullptr}};
    TableCatalogue catalogue(table);
    EXPECT_EQ(catalogue.presetCount(), 0);
    EXPECT_EQ(catalogue.presetName(1), L"");
}

TEST(MediaPresetTest, EmptyNameIsARowAndOnlyNullEndsTheTable) {
    static const PresetEntry table[] = {{L"A", L"-a", nullptr},
                                        {L"", L"-empty", nullptr},
                                        {L"C", L"-c", nullptr},
                                        {nullptr, nullptr, nullptr}};
    TableCatalogue catalogue(table);
    ASSERT_EQ(catalogue.presetCount(), 3);
    EXPECT_EQ(catalogue.presetName(1), L"");
    EXPECT_EQ(catalogue.presetArguments(1), L"-empty");
    EXPECT_EQ(catalogue.presetName(2), L"C");
    EXPECT_EQ(catalogue.presetArguments(2), L"-c");
    EXPECT_EQ(catalogue.presetArguments(3), L"");
}

}  // namespace
