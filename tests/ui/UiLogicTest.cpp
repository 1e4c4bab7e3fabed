#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "presets/FlacMp3.h"
#include "resources/resource.h"
#include "ui/AppEntry.h"
#include "ui/AppState.h"
#include "ui/MainWindow.h"
#include "ui/Settings.h"
#include "ui/SourceList.h"

namespace {

struct PathCase {
    const wchar_t* path;
    bool accepted;
};

TEST(SourceListFilterTest, JudgesTheTextFromTheLastDot) {
    const PathCase cases[] = {
        {L"C:\\Music\\a.flac", true},
        {L"C:\\Music\\Song.FLAC", true},
        {L"C:\\Music\\Mixed.FlAc", true},
        {L"C:\\Music\\clip.flac2", true},
        {L"C:\\Music\\clip.xflac", true},
        {L"C:\\Music\\name.flac.bak", false},
        {L"C:\\Music\\archive.flac.txt", false},
        {L"C:\\Music\\song.mp3", false},
        {L"C:\\Music\\noextension", false},
        {L"", false},
        // The last dot in a folder name: the text runs to the end of the path.
        {L"C:\\Album.flac\\track", true},
        {L"C:\\Album.FLAC\\track", true},
        {L"C:\\v1.2\\track", false},
        // Only ASCII letters fold; a full-width FLAC is another text.
        {L"C:\\Music\\\xC9t\xE9.FLAC", true},
        {L"C:\\Music\\song.\xFF26\xFF2C\xFF21\xFF23", false},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(isAcceptedPath(c.path), c.accepted) << std::wstring(c.path).c_str();
    }
}

TEST(SourceListFilterTest, SplitsTheExtensionListAtEverySeparator) {
    struct Case {
        const wchar_t* list;
        std::vector<std::wstring> pieces;
    };
    const Case cases[] = {
        {L"flac", {L"flac"}},       {L"flac;wav", {L"flac", L"wav"}}, {L"flac;", {L"flac"}},
        {L";flac", {L"", L"flac"}}, {L"a;;b", {L"a", L"", L"b"}},     {L"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitExtensionList(c.list), c.pieces) << std::wstring(c.list).c_str();
    }
}

// A dialog buffer as GetOpenFileNameW fills it: texts separated by NULs.
std::vector<wchar_t> dialogBuffer(const std::wstring& texts, size_t capacity = 64) {
    std::vector<wchar_t> buffer(capacity, L'\0');
    std::copy(texts.begin(), texts.end(), buffer.begin());
    return buffer;
}

TEST(AddDialogBufferTest, SplitsSingleAndMultipleSelections) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::wstring texts;
        size_t fileOffset;
        std::vector<std::wstring> paths;
    };
    const Case cases[] = {
        {"one file", L"C:\\Music\\a.flac"s, 9, {L"C:\\Music\\a.flac"}},
        {"one file in a drive root", L"C:\\a.flac"s, 3, {L"C:\\a.flac"}},
        {"several files, in the dialog's order",
         L"C:\\Music\0b.flac\0a.flac\0"s,
         9,
         {L"C:\\Music\\b.flac", L"C:\\Music\\a.flac"}},
        {"several files in a drive root",
         L"C:\\\0a.flac\0b.flac\0"s,
         4,
         {L"C:\\a.flac", L"C:\\b.flac"}},
        // A folder whose name looks like a file is still a folder.
        {"several files in a folder named like a file",
         L"D:\\x.flac\0a.flac\0b.flac\0"s,
         10,
         {L"D:\\x.flac\\a.flac", L"D:\\x.flac\\b.flac"}},
        {"nothing chosen", L""s, 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<wchar_t> buffer = dialogBuffer(c.texts);
        EXPECT_EQ(splitOpenFileSelection(buffer.data(), buffer.size(), c.fileOffset), c.paths)
            << c.name;
    }
}

TEST(AddDialogBufferTest, StaysInsideABufferWithoutFinalTerminator) {
    // The names fill the buffer to its last unit: nothing past it may be read.
    const std::wstring texts(L"C:\\M\0abc.flac", 13);
    std::vector<wchar_t> buffer(texts.begin(), texts.end());
    const std::vector<std::wstring> expected = {L"C:\\M\\abc.flac"};
    EXPECT_EQ(splitOpenFileSelection(buffer.data(), buffer.size(), 5), expected);
}

TEST(DrawOffsetTest, CentresRoundingDownAndShiftsWhilePressed) {
    struct Case {
        const char* name;
        RECT item;
        int width, height;
        UINT action, state;
        LONG x, y;
    };
    const Case cases[] = {
        {"centred", {0, 0, 54, 41}, 32, 32, ODA_DRAWENTIRE, 0, 11, 4},
        {"odd room rounds down", {0, 0, 33, 34}, 32, 32, ODA_DRAWENTIRE, 0, 0, 1},
        {"the rectangle's origin is not part of it",
         {10, 20, 64, 61},
         32,
         32,
         ODA_DRAWENTIRE,
         0,
         11,
         4},
        {"larger picture overhangs both sides", {0, 0, 30, 30}, 33, 34, ODA_DRAWENTIRE, 0, -2, -2},
        {"pressed", {0, 0, 54, 41}, 32, 32, ODA_DRAWENTIRE, ODS_SELECTED, 12, 5},
        {"released redraw", {0, 0, 54, 41}, 32, 32, ODA_SELECT, 0, 12, 5},
        {"focus change", {0, 0, 54, 41}, 32, 32, ODA_FOCUS, ODS_FOCUS, 11, 4},
        {"drop hint", {0, 0, 324, 41}, 280, 32, ODA_DRAWENTIRE, ODS_DISABLED, 22, 4},
    };
    for (const Case& c : cases) {
        const POINT offset = imageDrawOffset(c.item, c.width, c.height, c.action, c.state);
        EXPECT_EQ(offset.x, c.x) << c.name;
        EXPECT_EQ(offset.y, c.y) << c.name;
    }
}

// A catalogue over any table, with an extension per index.
class TableCatalogue : public MediaPreset {
  public:
    explicit TableCatalogue(const PresetEntry* table) : MediaPreset(table) {}
    const wchar_t* outputExtension(int index) const override {
        return index == 0 ? L"ogg" : L"wav";
    }
};

const PresetEntry kTwoPresets[] = {
    {L"MP3", L"-b:a 160k", nullptr},
    {L"MP3 HQ", L"-b:a 320k", nullptr},
    {nullptr, nullptr, nullptr},
};
const PresetEntry kNoPresets[] = {{nullptr, nullptr, nullptr}};

TEST(SettingsKeyTest, NamesTheKeyAfterTheFirstPresetsExtension) {
    app::catalogue = std::make_unique<FlacMp3>();
    EXPECT_EQ(settingsKeyPath(), L"Software\\Tovarel Voviz Ezorirudo\\mp3");
    app::catalogue = std::make_unique<TableCatalogue>(kTwoPresets);
    EXPECT_EQ(settingsKeyPath(), L"Software\\Tovarel Voviz Ezorirudo\\ogg");
    app::catalogue.reset();
    EXPECT_EQ(settingsKeyPath(), L"") << "no catalogue, no key";
}

TEST(SettingsValueTest, DecodesOnlyShortTextValues) {
    struct Case {
        const char* name;
        DWORD type;
        std::wstring data;
        DWORD size;  // bytes, may cut the data short
        std::wstring folder;
    };
    using namespace std::string_literals;
    const std::wstring full(260, L'x');
    const std::wstring over(261, L'x');
    const Case cases[] = {
        {"a folder", REG_SZ, L"D:\\Music", 16, L"D:\\Music"},
        {"empty", REG_SZ, L"", 0, L""},
        {"a terminator stored with it", REG_SZ, L"D:\\Music\0"s, 18, L"D:\\Music"},
        {"a NUL inside", REG_SZ, L"D:\\A\0B"s, 12, L"D:\\A"},
        {"an odd last byte", REG_SZ, L"D:\\Music", 15, L"D:\\Musi"},
        {"520 bytes", REG_SZ, full, 520, full},
        {"522 bytes", REG_SZ, over, 522, L""},
        {"another type", REG_EXPAND_SZ, L"D:\\Music", 16, L""},
        {"binary", REG_BINARY, L"D:\\Music", 16, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodeFolderValue(c.type, reinterpret_cast<const BYTE*>(c.data.data()), c.size),
                  c.folder)
            << c.name;
    }
}

TEST(TemplateChoiceTest, OffersThePresetChooserOnlyForAChoice) {
    FlacMp3 program;
    TableCatalogue two(kTwoPresets);
    TableCatalogue none(kNoPresets);
    EXPECT_EQ(mainTemplateId(&program), IDD_MAIN);
    EXPECT_EQ(mainTemplateId(&two), IDD_MAIN_WITH_PRESETS);
    EXPECT_EQ(mainTemplateId(&none), IDD_MAIN);
    EXPECT_EQ(mainTemplateId(nullptr), IDD_MAIN);
}

}  // namespace
