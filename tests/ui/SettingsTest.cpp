#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "presets/FlacMp3.h"
#include "ui/AppState.h"
#include "ui/Settings.h"
#include "utils/unique_resource.h"

// These run against the real registry of the test prefix, under the
// program's own key, which each test removes before and after.
namespace {

const wchar_t kCompanyKey[] = L"Software\\Tovarel Voviz Ezorirudo";
const wchar_t kSettingsKey[] = L"Software\\Tovarel Voviz Ezorirudo\\mp3";

struct RawValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
};

RawValue readRaw() {
    RawValue value;
    utils::unique_hkey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return value;
    }
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), L"out_dir", nullptr, &value.type, nullptr, &size) ==
        ERROR_SUCCESS) {
        value.present = true;
        value.bytes.resize(size);
        ::RegQueryValueExW(key.get(), L"out_dir", nullptr, &value.type, value.bytes.data(), &size);
        value.bytes.resize(size);
    }
    return value;
}

// Stores exactly size bytes: RegSetValueExW would count a NUL that follows a
// text as its terminator, so the copy ends in a non-NUL unit.
void writeRaw(DWORD type, const void* data, DWORD size) {
    std::vector<BYTE> bytes(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    bytes.push_back(0xFF);
    bytes.push_back(0xFF);
    utils::unique_hkey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                key.put(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key.get(), L"out_dir", 0, type, bytes.data(), size), ERROR_SUCCESS);
}

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        app::catalogue = std::make_unique<FlacMp3>();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kCompanyKey);
    }
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kCompanyKey);
        app::catalogue.reset();
    }
};

TEST_F(SettingsTest, FirstStartCreatesTheKeyWithNoValues) {
    EXPECT_EQ(loadOutputFolder(), L"");
    utils::unique_hkey key;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()),
              ERROR_SUCCESS)
        << "the first load leaves the key behind";
    DWORD values = 99;
    DWORD subkeys = 99;
    EXPECT_EQ(::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                 &values, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(subkeys, 0u);
}

TEST_F(SettingsTest, SavesTheTextWithoutTerminatorAndLoadsItBackUnchanged) {
    const std::wstring folders[] = {
        L"D:\\Music",
        L"",
        L"  C:\\My Music\\ ",
        std::wstring(L"E:\\") + std::wstring(257, L'n'),  // 260 units
        L"C:\\M\xFCsik\\\x97F3\x697D",
    };
    for (const std::wstring& folder : folders) {
        EXPECT_TRUE(saveOutputFolder(folder));
        const RawValue raw = readRaw();
        ASSERT_TRUE(raw.present) << "an empty folder is stored too";
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
        ASSERT_EQ(raw.bytes.size(), folder.size() * sizeof(wchar_t));
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(raw.bytes.data()),
                               raw.bytes.size() / sizeof(wchar_t)),
                  folder);
        EXPECT_EQ(loadOutputFolder(), folder);
    }
}

TEST_F(SettingsTest, LoadsOnlyUsableValues) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        DWORD type;
        std::wstring data;
        std::wstring loaded;
    };
    const std::wstring full(260, L'f');
    const Case cases[] = {
        {"520 bytes load whole", REG_SZ, full, full},
        {"522 bytes load as empty", REG_SZ, full + L"g", L""},
        {"a NUL inside ends it", REG_SZ, L"D:\\A\0D:\\B"s, L"D:\\A"},
        {"a stored terminator", REG_SZ, L"D:\\Music\0"s, L"D:\\Music"},
        {"another type", REG_EXPAND_SZ, L"D:\\Music", L""},
        {"a multi-string", REG_MULTI_SZ, L"D:\\Music\0\0"s, L""},
    };
    for (const Case& c : cases) {
        writeRaw(c.type, c.data.data(), static_cast<DWORD>(c.data.size() * sizeof(wchar_t)));
        EXPECT_EQ(loadOutputFolder(), c.loaded) << c.name;
    }
    const DWORD number = 42;
    writeRaw(REG_DWORD, &number, sizeof(number));
    EXPECT_EQ(loadOutputFolder(), L"") << "a number";
}

TEST_F(SettingsTest, WithoutACatalogueNothingIsStored) {
    app::catalogue.reset();
    EXPECT_FALSE(saveOutputFolder(L"D:\\Music"));
    EXPECT_EQ(loadOutputFolder(), L"");
    utils::unique_hkey key;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CURRENT_USER, kCompanyKey, 0, KEY_READ, key.put()),
              ERROR_SUCCESS);
}

}  // namespace
