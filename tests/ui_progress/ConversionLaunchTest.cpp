#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ui/ConversionLaunch.h"

namespace {

TEST(ConversionLaunchTest, CorePathSitsInCoreBesideTheProgram) {
    struct Case {
        const wchar_t* program;
        const wchar_t* core;
    };
    const std::vector<Case> cases = {
        {L"C:\\Program Files\\Velquorn\\Velquorn.exe",
         L"C:\\Program Files\\Velquorn\\core\\nyvrel.exe"},
        {L"C:\\Velquorn.exe", L"C:\\core\\nyvrel.exe"},
        {L"D:\\a.b\\Velquorn.exe", L"D:\\a.b\\core\\nyvrel.exe"},
        // Without a separator the path stays whole.
        {L"Velquorn.exe", L"Velquorn.exe\\core\\nyvrel.exe"},
        {L"", L"\\core\\nyvrel.exe"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(corePathBeside(c.program), c.core) << testing::PrintToString(c.program);
    }
}

TEST(ConversionLaunchTest, BuildCorePathUsesThisProgramsOwnFolder) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring folder = self;
    folder.resize(folder.rfind(L'\\'));
    EXPECT_EQ(buildCorePath(), folder + L"\\core\\nyvrel.exe");
}

TEST(ConversionLaunchTest, EachProblemHasItsMessage) {
    struct Case {
        ConvertProblem problem;
        const wchar_t* text;
    };
    const std::vector<Case> cases = {
        {ConvertProblem::NoSources, L"Please add source files."},
        {ConvertProblem::NoOutputFolder, L"Please select output folder."},
        {ConvertProblem::OutputFolderMissing, L"The output folder doesn't exist."},
        {ConvertProblem::NoCore, L"There isn't a core file."},
        {ConvertProblem::None, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convertProblemText(c.problem), c.text);
    }
}

TEST(ConversionLaunchTest, SendItemMessageAnswersMinusOneForAMissingControl) {
    EXPECT_EQ(sendItemMessage(nullptr, 1009, CB_GETCURSEL), -1);
    HWND desktop = ::GetDesktopWindow();
    EXPECT_EQ(sendItemMessage(desktop, 0x7FFF, CB_GETCURSEL), -1);
}

}  // namespace
