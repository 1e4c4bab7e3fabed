// The window-free, process-free logic of the engine: clock and progress
// parsing, output naming, script texts and names.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "engine/BatchScript.h"
#include "engine/ConvertCore.h"
#include "engine/OutputNaming.h"
#include "engine/ProgressParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace {

using testsupport::TempFolder;

TEST(ParseClockTimeTest, TurnsClockTextsIntoRoundedSeconds) {
    const struct {
        const char* text;
        int32_t seconds;
    } cases[] = {
        {" 00:03:25.12", 205},  // 205.62 truncates after the half is added
        {"00:00:00.50", 1},
        {"00:00:00.40", 0},
        {" N/A", 0},         // one field
        {"01:02:03:04", 0},  // four fields
        {"01:02:03", 3723},
        {"1:2:3.5", 3724},
        {"00:00:", 0},  // a final ":" adds no empty field: two fields
        {"::", 0},      // two empty fields
        {":00:05", 5},  // an empty field counts as 0
        {"", 0},
        {"ab:cd:10.4", 10},  // fields without a number count as 0
        {" 10:00:00.00", 36000},
        {"00:00:-05.00", -4},  // truncates toward zero
        {"1e300:0:0", 0},      // out of every integer range
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseClockTime(c.text), c.seconds) << '"' << c.text << '"';
    }
}

// An engine with one job of a given duration that the worker is on.
class ProgressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.addJob(L"C:\\music\\a.flac");
        engine.jobs[0]->duration = 205;
        engine.currentIndex = 0;
    }
    int32_t percent() const { return engine.jobs[0]->percent; }
    ConvertCore engine;
};

TEST_F(ProgressTest, MovesThePercentByTheFirstTimeOfCompletedText) {
    const struct {
        std::vector<const char*> chunks;
        int32_t start;
        int32_t expected;
    } cases[] = {
        {{"size=  1 kB time=00:01:42.50 bitrate= 1kbits/s\r"}, 0, 50},
        {{"time=00:00:10.00 bitrate=\rtime=00:00:20.00 bitrate=\r"}, 0, 4},  // first counts
        {{"time=00:00:00.20 bitrate=\r"}, 7, 7},                      // rounds to 0 s: unchanged
        {{"size= 1 kB ti", "me=00:01:42.50 bit", "rate=\n"}, 0, 50},  // joined
        {{"size= 1 kB time=00:01:42.50 bitrate="}, 3, 3},             // not yet ended
        {{"time=00:05:00.00 bitrate=\r"}, 0, 100},                    // beyond the duration
        {{"time=00:01:42.50\r"}, 9, 9},                               // no blank after the time
        {{"frame= 1 fps=0.0 q=0.0 size= 0kB\r"}, 9, 9},
    };
    for (const auto& c : cases) {
        engine.setJobProgress(c.start, 0);
        for (const char* chunk : c.chunks) {
            engine.parseProgressOutput(chunk);
        }
        EXPECT_EQ(percent(), c.expected) << c.chunks.front();
        engine.parseProgressOutput("\r");  // nothing may be left for the next case
    }
}

TEST_F(ProgressTest, TextWithoutATimeIsDroppedOnceItEnds) {
    engine.parseProgressOutput("time=00:01:42.50\r");  // no blank: yields nothing
    engine.parseProgressOutput("size= 1 kB time=00:00:41.00 bitrate=\r");
    EXPECT_EQ(percent(), 20) << "the blank-less time must not linger and join the next line";
}

TEST_F(ProgressTest, WithoutDurationChunksAreDropped) {
    engine.jobs[0]->duration = 0;
    engine.parseProgressOutput("size= 1 kB time=00:01:42.50 bit");
    engine.jobs[0]->duration = 205;
    engine.parseProgressOutput("rate=\r");
    EXPECT_EQ(percent(), 0) << "a chunk parsed without a duration must not be kept";
    engine.parseProgressOutput("time=00:01:42.50 bitrate=\r");
    EXPECT_EQ(percent(), 50);
}

TEST_F(ProgressTest, NoCurrentJobMovesNothing) {
    engine.currentIndex = -1;
    engine.parseProgressOutput("time=00:01:42.50 bitrate=\r");
    EXPECT_EQ(percent(), 0);
}

TEST(OutputNamingTest, DerivesTheOutputPathFromTheSourceName) {
    const struct {
        const wchar_t* source;
        const wchar_t* folder;
        const wchar_t* ext;
        const wchar_t* output;
    } cases[] = {
        {L"D:\\music\\song.flac", L"D:\\out", L"mp3", L"D:\\out\\song.mp3"},
        {L"D:\\music\\track", L"D:\\out", L"mp3", L"D:\\out\\track.mp3"},
        {L"D:\\music\\a.b.flac", L"D:\\out", L"mp3", L"D:\\out\\a.b.mp3"},
        {L"D:\\music\\song.", L"D:\\out", L"mp3", L"D:\\out\\song.mp3"},
        {L"D:\\music\\.flac", L"D:\\out", L"mp3", L"D:\\out\\.mp3"},
        {L"song.flac", L"D:\\out", L"mp3", L"D:\\out\\song.mp3"},  // no backslash: whole name
        {L"D:\\music\\track", L"D:\\my.out", L"mp3", L"D:\\my.out\\track.mp3"},
        {L"D:\\music\\song.flac", L"D:\\", L"mp3", L"D:\\\\song.mp3"},  // not merged
        {L"D:\\music\\song.flac", L"D:\\out", L"", L"D:\\out\\song.flac"},
        {L"D:\\music\\song.flac", L"D:\\music", L"mp3", L"D:\\music\\song.mp3"},
        {L"D:\\my.music\\track", L"", L"mp3", L"\\track.mp3"},
    };
    ConvertCore engine;
    for (const auto& c : cases) {
        EXPECT_EQ(makeOutputPath(c.source, c.folder, c.ext), c.output) << c.source;
        engine.outputExt = c.ext;
        EXPECT_EQ(engine.makeOutputPath(c.source, c.folder), c.output) << c.source;
    }
    EXPECT_EQ(fileNamePart(L"C:\\a\\b.flac"), L"b.flac");
    EXPECT_EQ(fileNamePart(L"b.flac"), L"b.flac");
    EXPECT_EQ(fileNamePart(L"C:\\a\\"), L"");
}

TEST(OutputNamingTest, SameFileUnderAnotherSpelling) {
    TempFolder temp;
    const std::wstring file = temp.path() + L"\\Song.mp3";
    testsupport::writeFile(file, "x");
    const std::wstring other = temp.path() + L"\\Other.mp3";
    testsupport::writeFile(other, "y");
    ::CreateDirectoryW((temp.path() + L"\\sub").c_str(), nullptr);
    const struct {
        std::wstring first;
        std::wstring second;
        bool same;
    } cases[] = {
        {file, file, true},
        {file, temp.path() + L"\\SONG.MP3", true},
        {L"D:\\Absent\\A.mp3", L"d:\\absent\\a.MP3", true},  // case alone, no file needed
        {file, temp.path() + L"\\sub\\..\\Song.mp3", true},  // same volume and file index
        {file, temp.path() + L"\\.\\Song.mp3", true},
        {file, other, false},
        {file, temp.path() + L"\\sub\\Song.mp3", false},
        {L"D:\\absent\\a.mp3", L"D:\\absent\\sub\\..\\a.mp3", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isSameFile(c.first, c.second), c.same)
            << testsupport::narrow(c.first) << " / " << testsupport::narrow(c.second);
    }
}

TEST(OutputNamingTest, ExistenceTestOpensFilesOnly) {
    TempFolder temp;
    const std::wstring file = temp.path() + L"\\a.mp3";
    EXPECT_FALSE(fileExists(file));
    testsupport::writeFile(file, "");
    EXPECT_TRUE(fileExists(file)) << "an empty file exists";
    EXPECT_FALSE(fileExists(temp.path())) << "a folder counts as absent";
}

TEST(BatchScriptTest, PlainPathsStandInTheLinesAsTheyAre) {
    script::Variables variables;
    const std::wstring text =
        script::scriptText(1252, L"C:\\Users\\jo\\AppData\\Roaming\\Voviz Ezorirudo\\rorez815.bat",
                           L"C:\\Program Files\\Velquorn\\core\\nyvrel.exe", L"D:\\music\\a b.flac",
                           L"-acodec libmp3lame -b:a 160k", L"D:\\out\\a b.mp3", variables);
    EXPECT_EQ(testsupport::narrow(text),
              "chcp 1252\n\n"
              "\"C:\\Program Files\\Velquorn\\core\\nyvrel.exe\" -y -i \"D:\\music\\a b.flac\" "
              "-acodec libmp3lame -b:a 160k \"D:\\out\\a b.mp3\"\n\n"
              "del \"C:\\Users\\jo\\AppData\\Roaming\\Voviz Ezorirudo\\rorez815.bat\"");
    EXPECT_TRUE(variables.empty());

    const std::string bytes = script::scriptBytes(script::scriptText(
        65001, L"C:\\s\\rorez1.bat", L"C:\\c.exe", L"D:\\a.flac", nullptr, nullptr, variables));
    EXPECT_EQ(bytes,
              "chcp 65001\r\n\r\n\"C:\\c.exe\" -i \"D:\\a.flac\"\r\n\r\ndel \"C:\\s\\rorez1.bat\"")
        << "CR LF line ends, no byte-order mark, nothing after the del line";

    const std::wstring emptyArguments = script::scriptText(
        850, L"C:\\s\\rorez1.bat", L"C:\\c.exe", L"D:\\a.flac", L"", L"D:\\a.mp3", variables);
    EXPECT_NE(emptyArguments.find(L"\"D:\\a.flac\"  \"D:\\a.mp3\""), std::wstring::npos)
        << "an empty argument string leaves two blanks";
    EXPECT_EQ(emptyArguments.rfind(L"chcp 850\n\n", 0), 0u);
}

TEST(BatchScriptTest, UnsafePathsGoThroughTheEnvironment) {
    const std::wstring script =
        L"C:\\Users\\Jos\u00e9\\AppData\\Roaming\\Voviz Ezorirudo\\rorez7.bat";
    const std::wstring core = L"C:\\Tools 100%\\nyvrel.exe";
    const std::wstring source = L"D:\\m\\Bj\u00f6rk \u2013 \u97f3\u697d.flac";
    const std::wstring output = L"D:\\out\\Bj\u00f6rk \u2013 \u97f3\u697d.mp3";
    script::Variables variables;
    const std::wstring text =
        script::scriptText(1252, script, core, source, L"-ac 2", output.c_str(), variables);
    EXPECT_EQ(text,
              L"chcp 1252\n\n\"%VELQUORN_CONVERTER%\" -y -i \"%VELQUORN_SOURCE%\" -ac 2 "
              L"\"%VELQUORN_OUTPUT%\"\n\ndel \"%VELQUORN_SCRIPT%\"");
    ASSERT_EQ(variables.size(), 4u);
    const std::wstring expected[][2] = {{L"VELQUORN_CONVERTER", core},
                                        {L"VELQUORN_SOURCE", source},
                                        {L"VELQUORN_OUTPUT", output},
                                        {L"VELQUORN_SCRIPT", script}};
    for (size_t i = 0; i < variables.size(); ++i) {
        EXPECT_EQ(variables[i].name, expected[i][0]);
        EXPECT_EQ(variables[i].value, expected[i][1]);
    }

    const struct {
        const wchar_t* text;
        bool plain;
    } cases[] = {
        {L"C:\\Music\\A b (1) [x] & y's~.flac", true},
        {L"C:\\100%.flac", false},
        {L"C:\\caf\u00e9.flac", false},
        {L"C:\\tab\there.flac", false},
        {L"C:\\del\x7f.flac", false},
        {L"", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(script::isPlainText(c.text), c.plain) << testsupport::narrow(c.text);
    }
}

TEST(BatchScriptTest, ScriptBytesAreUtf8) {
    EXPECT_EQ(script::scriptBytes(L"\u00e9\u97f3\n"), "\xc3\xa9\xe9\x9f\xb3\r\n");
}

TEST(BatchScriptTest, TakenNamesAreNeverReused) {
    TempFolder temp;
    const std::wstring taken = temp.path() + L"\\rorez100.bat";
    testsupport::writeFile(taken, "another copy's script");
    std::wstring path;
    utils::unique_hfile file =
        script::createNumberedFile(temp.path(), L"rorez", 100, L".bat", path);
    ASSERT_TRUE(file);
    EXPECT_EQ(path, temp.path() + L"\\rorez101.bat");
    file.reset();
    EXPECT_EQ(testsupport::readFile(taken), "another copy's script") << "never truncated";

    // Past 2^31 ms of uptime the tick reads as a negative number, and the next
    // number after the largest one wraps to it.
    testsupport::writeFile(temp.path() + L"\\nyvrel2147483647.txt", "");
    EXPECT_TRUE(script::createNumberedFile(temp.path(), L"nyvrel", 2147483647, L".txt", path));
    EXPECT_EQ(path, temp.path() + L"\\nyvrel-2147483648.txt");

    EXPECT_FALSE(script::createNumberedFile(temp.path() + L"\\missing", L"rorez", 1, L".bat", path))
        << "a missing folder is no reason to try a thousand names";
    EXPECT_TRUE(path.empty());
}

TEST(BatchScriptTest, EnvironmentBlockAddsAndReplacesVariables) {
    ::SetEnvironmentVariableW(L"VELQUORN_SOURCE", L"stale");
    const std::vector<wchar_t> block =
        script::environmentBlockWith({{L"VELQUORN_SOURCE", L"D:\\Bj\u00f6rk.flac"}});
    ::SetEnvironmentVariableW(L"VELQUORN_SOURCE", nullptr);
    std::vector<std::wstring> entries;
    for (const wchar_t* entry = block.data(); *entry; entry += wcslen(entry) + 1) {
        entries.emplace_back(entry);
    }
    ASSERT_GE(block.size(), 2u);
    EXPECT_EQ(block[block.size() - 1], L'\0');
    EXPECT_EQ(block[block.size() - 2], L'\0');
    int sources = 0;
    bool hasPath = false;
    for (const std::wstring& entry : entries) {
        if (_wcsnicmp(entry.c_str(), L"VELQUORN_SOURCE=", 16) == 0) {
            ++sources;
            EXPECT_EQ(entry, L"VELQUORN_SOURCE=D:\\Bj\u00f6rk.flac");
        }
        hasPath = hasPath || _wcsnicmp(entry.c_str(), L"PATH=", 5) == 0;
    }
    EXPECT_EQ(sources, 1);
    EXPECT_TRUE(hasPath) << "the program's own environment is kept";
}

}  // namespace
