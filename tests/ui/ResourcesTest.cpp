#include <gtest/gtest.h>

#include <windows.h>

#include <objidl.h>

#include <gdiplus.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "resources/resource.h"
#include "ui/AppEntry.h"
#include "ui/AppState.h"
#include "ui/ButtonImages.h"

// The test program links the program's compiled resources, so everything here
// reads what Velquorn.exe carries.
namespace {

HINSTANCE self() {
    return ::GetModuleHandleW(nullptr);
}

std::vector<BYTE> resourceBytes(LPCWSTR type, LPCWSTR name) {
    HRSRC found = ::FindResourceW(self(), name, type);
    if (!found) {
        return {};
    }
    HGLOBAL loaded = ::LoadResource(self(), found);
    const BYTE* bytes = static_cast<const BYTE*>(::LockResource(loaded));
    return std::vector<BYTE>(bytes, bytes + ::SizeofResource(self(), found));
}

// ---- dialog templates ------------------------------------------------------

struct ControlLayout {
    int id;
    WORD classAtom;  // 0x80 button, 0x81 edit, 0x82 static, 0x83 list box, 0x85 combo box
    const wchar_t* text;
    short x, y, cx, cy;
    DWORD style;
};

struct DialogLayout {
    DWORD style;
    short cx, cy;
    std::vector<ControlLayout> controls;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                               DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
constexpr DWORD kImageButton = kChild | BS_OWNERDRAW | WS_TABSTOP;
constexpr DWORD kList = kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT |
                        LBS_NOINTEGRALHEIGHT | LBS_EXTENDEDSEL;
constexpr DWORD kLabel = kChild | SS_LEFT | WS_GROUP;
constexpr DWORD kEdit = kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kPush = kChild | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kHint = kChild | BS_OWNERDRAW | WS_DISABLED;
constexpr DWORD kCombo = kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;

std::vector<ControlLayout> commonTop() {
    return {
        {IDC_ADD, 0x80, L"Add", 0, 0, 36, 25, kImageButton},
        {IDC_REMOVE, 0x80, L"Remove", 36, 0, 36, 25, kImageButton},
        {IDC_CLEAR, 0x80, L"Clear", 72, 0, 36, 25, kImageButton},
        {IDC_CONVERT, 0x80, L"Convert", 108, 0, 36, 25, kImageButton},
        {IDC_SOURCE_LIST, 0x83, L"", 2, 29, 366, 125, kList},
    };
}

// Both main layouts share the top row and the list, then differ below it.
DialogLayout mainLayoutWith(short height, const std::vector<ControlLayout>& rest) {
    DialogLayout layout{kDialogStyle, 372, height, commonTop()};
    layout.controls.insert(layout.controls.end(), rest.begin(), rest.end());
    return layout;
}

DialogLayout mainLayout() {
    return mainLayoutWith(194,
                          {
                              {IDC_OUTPUT_LABEL, 0x82, L"Output Folder:", 7, 160, 48, 8, kLabel},
                              {IDC_OUTPUT_FOLDER, 0x81, L"", 7, 173, 295, 14, kEdit},
                              {IDC_BROWSE_FOLDER, 0x80, L"...", 305, 173, 20, 14, kPush},
                              {IDC_OPEN_FOLDER, 0x80, L"Open", 325, 173, 40, 14, kPush},
                              {IDC_DROP_HINT, 0x80, L"Drag and Drop Here", 78, 84, 216, 25, kHint},
                          });
}

DialogLayout mainWithPresetsLayout() {
    return mainLayoutWith(219,
                          {
                              {IDC_PRESET_LABEL, 0x82, L"Preset:", 7, 159, 24, 8, kLabel},
                              {IDC_PRESET, 0x85, L"", 7, 170, 358, 30, kCombo},
                              {IDC_OUTPUT_LABEL, 0x82, L"Output Folder:", 7, 185, 48, 8, kLabel},
                              {IDC_OUTPUT_FOLDER, 0x81, L"", 7, 198, 295, 14, kEdit},
                              {IDC_BROWSE_FOLDER, 0x80, L"...", 305, 198, 20, 14, kPush},
                              {IDC_OPEN_FOLDER, 0x80, L"Open", 325, 198, 40, 14, kPush},
                              {IDC_DROP_HINT, 0x80, L"Drag and Drop Here", 78, 84, 216, 25, kHint},
                          });
}

// Reads an extended dialog template field by field.
class TemplateReader {
  public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}
    WORD word() { return take<WORD>(); }
    DWORD dword() { return take<DWORD>(); }
    short shortValue() { return take<short>(); }
    BYTE byte() { return take<BYTE>(); }
    std::wstring text() {
        std::wstring s;
        for (WORD c = word(); c != 0 && ok_; c = word()) {
            s += static_cast<wchar_t>(c);
        }
        return s;
    }
    // A name or ordinal: ordinals come back as "#<n>".
    std::wstring nameOrOrdinal() {
        const WORD first = peekWord();
        if (first == 0xFFFF) {
            word();
            return L"#" + std::to_wstring(word());
        }
        return text();
    }
    void alignToDword() { at_ = (at_ + 3) & ~size_t{3}; }
    void skip(size_t count) { at_ += count; }
    bool ok() const { return ok_; }

  private:
    WORD peekWord() {
        size_t saved = at_;
        WORD w = word();
        at_ = saved;
        return w;
    }
    template <typename T>
    T take() {
        T value{};
        if (at_ + sizeof(T) > bytes_.size()) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    const std::vector<BYTE>& bytes_;
    size_t at_ = 0;
    bool ok_ = true;
};

void expectTemplate(int templateId, const DialogLayout& layout) {
    SCOPED_TRACE("template " + std::to_string(templateId));
    const std::vector<BYTE> bytes = resourceBytes(RT_DIALOG, MAKEINTRESOURCEW(templateId));
    ASSERT_FALSE(bytes.empty());
    TemplateReader in(bytes);
    EXPECT_EQ(in.word(), 1) << "extended template";
    EXPECT_EQ(in.word(), 0xFFFF);
    EXPECT_EQ(in.dword(), 0u) << "help id";
    EXPECT_EQ(in.dword(), 0u) << "extended style";
    EXPECT_EQ(in.dword(), layout.style);
    const WORD count = in.word();
    ASSERT_EQ(count, layout.controls.size());
    EXPECT_EQ(in.shortValue(), 0);
    EXPECT_EQ(in.shortValue(), 0);
    EXPECT_EQ(in.shortValue(), layout.cx);
    EXPECT_EQ(in.shortValue(), layout.cy);
    EXPECT_EQ(in.nameOrOrdinal(), L"") << "no menu";
    EXPECT_EQ(in.nameOrOrdinal(), L"") << "the default dialog class";
    EXPECT_EQ(in.text(), L"Voviz Ezorirudo");
    EXPECT_EQ(in.word(), 8) << "point size";
    EXPECT_EQ(in.word(), 400) << "weight";
    EXPECT_EQ(in.byte(), 0) << "italic";
    EXPECT_EQ(in.byte(), 1) << "character set";
    EXPECT_EQ(in.text(), L"MS Shell Dlg");
    for (const ControlLayout& want : layout.controls) {
        SCOPED_TRACE("control " + std::to_string(want.id));
        in.alignToDword();
        EXPECT_EQ(in.dword(), 0u) << "help id";
        EXPECT_EQ(in.dword(), 0u) << "extended style";
        EXPECT_EQ(in.dword(), want.style);
        EXPECT_EQ(in.shortValue(), want.x);
        EXPECT_EQ(in.shortValue(), want.y);
        EXPECT_EQ(in.shortValue(), want.cx);
        EXPECT_EQ(in.shortValue(), want.cy);
        EXPECT_EQ(in.dword(), static_cast<DWORD>(want.id));
        EXPECT_EQ(in.nameOrOrdinal(), L"#" + std::to_wstring(want.classAtom));
        EXPECT_EQ(in.nameOrOrdinal(), want.text);
        in.skip(in.word());  // creation data
        ASSERT_TRUE(in.ok()) << "template ends early";
    }
}

TEST(ResourcesTest, MainTemplatesHoldExactlyTheirControlsInTabOrder) {
    expectTemplate(IDD_MAIN, mainLayout());
    expectTemplate(IDD_MAIN_WITH_PRESETS, mainWithPresetsLayout());
}

// ---- pictures --------------------------------------------------------------

TEST(ResourcesTest, PicturesArePngWithEightBitRgba) {
    struct Picture {
        int id;
        DWORD width, height;
    };
    const Picture pictures[] = {
        {IDP_CONVERT, 32, 32}, {IDP_REMOVE, 32, 32},     {IDP_ADD, 32, 32},
        {IDP_CLEAR, 32, 32},   {IDP_DROP_HINT, 280, 32},
    };
    const BYTE signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Picture& p : pictures) {
        SCOPED_TRACE("picture " + std::to_string(p.id));
        const std::vector<BYTE> png = resourceBytes(L"PNG", MAKEINTRESOURCEW(p.id));
        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(std::memcmp(png.data(), signature, sizeof(signature)), 0);
        EXPECT_EQ(std::memcmp(png.data() + 12, "IHDR", 4), 0);
        auto bigEndian = [&](size_t at) {
            return DWORD(png[at]) << 24 | DWORD(png[at + 1]) << 16 | DWORD(png[at + 2]) << 8 |
                   DWORD(png[at + 3]);
        };
        EXPECT_EQ(bigEndian(16), p.width);
        EXPECT_EQ(bigEndian(20), p.height);
        EXPECT_EQ(png[24], 8) << "bits per channel";
        EXPECT_EQ(png[25], 6) << "colour type RGBA";
    }
}

class GdiplusTest : public ::testing::Test {
  protected:
    void SetUp() override { initApplication(); }
    void TearDown() override { shutdownApplication(); }
};

TEST_F(GdiplusTest, LoadsEveryPictureAndDestroysThemAtShutdown) {
    ASSERT_TRUE(loadButtonImages(self()));
    EXPECT_EQ(app::instance, self());
    const std::pair<int, UINT> expected[] = {
        {IDC_CONVERT, 32}, {IDC_ADD, 32}, {IDC_REMOVE, 32}, {IDC_CLEAR, 32}, {IDC_DROP_HINT, 280},
    };
    ASSERT_EQ(buttonImages.size(), std::size(expected));
    for (const auto& [id, width] : expected) {
        ASSERT_TRUE(buttonImages.count(id)) << id;
        Gdiplus::Image* image = buttonImages.at(id)->image.get();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetLastStatus(), Gdiplus::Ok) << id;
        EXPECT_EQ(image->GetWidth(), width) << id;
        EXPECT_EQ(image->GetHeight(), 32u) << id;
        EXPECT_TRUE(Gdiplus::IsAlphaPixelFormat(image->GetPixelFormat())) << id;
    }
    shutdownApplication();
    EXPECT_TRUE(buttonImages.empty());
    initApplication();  // for TearDown's balanced shutdown
}

TEST_F(GdiplusTest, AMissingPictureLeavesOnlyItsRowOut) {
    const ButtonArtEntry table[] = {
        {IDC_ADD, IDP_ADD, L"Add"},
        {IDC_REMOVE, 4242, L"Remove"},  // no such resource
        {IDC_CLEAR, IDP_CLEAR, L"Clear"},
        {0, 0, nullptr},
        {IDC_CONVERT, IDP_CONVERT, L"Convert"},  // past the end of the table
    };
    loadButtonImagesFrom(self(), table);
    EXPECT_EQ(buttonImages.size(), 2u);
    EXPECT_TRUE(buttonImages.count(IDC_ADD));
    EXPECT_TRUE(buttonImages.count(IDC_CLEAR));
}

TEST_F(GdiplusTest, APictureThatDoesNotDecodeStillGetsAnEntry) {
    // The manifest is found like any resource but is no PNG.
    HRSRC manifest = ::FindResourceW(self(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    auto picture = loadPngImage(manifest, self());
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->image, nullptr);
    EXPECT_NE(picture->image->GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(picture->image->GetWidth(), 0u);
    EXPECT_EQ(loadPngImage(nullptr, self()), nullptr);
}

// ---- icon, manifest, version -------------------------------------------------

TEST(ResourcesTest, IconGroupHoldsEverySizeAndDepth) {
    const std::vector<BYTE> group = resourceBytes(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_APP));
    ASSERT_GE(group.size(), 6u);
    WORD count = 0;
    std::memcpy(&count, group.data() + 4, sizeof(count));
    ASSERT_EQ(group.size(), 6u + 14u * count);
    std::multiset<std::pair<int, int>> found;  // (pixels, bits)
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = group.data() + 6 + 14 * i;
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, sizeof(bits));
        const int width = entry[0] == 0 ? 256 : entry[0];
        EXPECT_EQ(entry[0], entry[1]) << "square";
        found.insert({width, bits});
    }
    const std::multiset<std::pair<int, int>> expected = {
        {256, 32}, {128, 32}, {64, 32}, {48, 32}, {32, 32}, {16, 32},
        {48, 8},   {32, 8},   {16, 8},  {32, 4},  {16, 4},
    };
    EXPECT_EQ(found, expected);
    EXPECT_NE(::LoadIconW(self(), MAKEINTRESOURCEW(IDI_APP)), nullptr);
}

TEST(ResourcesTest, ManifestAsksForCommonControlsSixOfThisArchitecture) {
    const std::vector<BYTE> bytes = resourceBytes(RT_MANIFEST, MAKEINTRESOURCEW(1));
    const std::string manifest(bytes.begin(), bytes.end());
    const std::string arch = sizeof(void*) == 8 ? "amd64" : "x86";
    for (const std::string& needle :
         {std::string("level=\"asInvoker\""), std::string("uiAccess=\"false\""),
          std::string("name=\"Microsoft.Windows.Common-Controls\""),
          std::string("version=\"6.0.0.0\""), "processorArchitecture=\"" + arch + "\""}) {
        EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
    }
    EXPECT_EQ(manifest.find("@"), std::string::npos) << "unconfigured template";
}

TEST(ResourcesTest, VersionInformationNamesTheProduct) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    const DWORD size = ::GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);

    WORD* translation = nullptr;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0409) << "US English";
    EXPECT_EQ(translation[1], 1200) << "Unicode";

    const std::pair<const wchar_t*, const wchar_t*> strings[] = {
        {L"FileDescription", L"Velquorn"},
        {L"ProductName", L"Velquorn"},
        {L"FileVersion", L"1.0.0.1"},
        {L"ProductVersion", L"1.0.0.1"},
    };
    for (const auto& [name, value] : strings) {
        wchar_t* text = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
        ASSERT_TRUE(
            ::VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << std::wstring(name).c_str();
        EXPECT_STREQ(text, value);
    }
}

}  // namespace
