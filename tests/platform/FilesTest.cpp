#include "Files.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

TEST(Paths, NamesAndExtensions) {
    const std::string d(1, PathDelim);
    EXPECT_EQ(AddPathDelimiter(""), "");
    EXPECT_EQ(AddPathDelimiter("a"), "a" + d);
    EXPECT_EQ(AddPathDelimiter("a" + d), "a" + d);
    EXPECT_EQ(ChangeFileExt("x" + d + "kvizor2", ".ini"), "x" + d + "kvizor2.ini");
    EXPECT_EQ(ChangeFileExt("x" + d + "test.exe", ".lng"), "x" + d + "test.lng");
    EXPECT_EQ(ChangeFileExt("x.y" + d + "name", ".qsz"), "x.y" + d + "name.qsz");
    EXPECT_EQ(ChangeFileExt("a.b.qst", ".qsz"), "a.b.qsz");
    EXPECT_EQ(ExtractFilePath("x" + d + "y" + d + "f.txt"), "x" + d + "y" + d);
    EXPECT_EQ(ExtractFileName("x" + d + "f.txt"), "f.txt");
    EXPECT_EQ(ExtractFileExt("x.d" + d + "f"), "");
}

TEST(Paths, ExpandAgainstCurrentFolder) {
    TempDir dir;
    const std::string saved = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir.Path()));
    const std::string real = FromNativePath(std::filesystem::current_path().string());
    EXPECT_EQ(ExpandFileName("quick.ini"), AddPathDelimiter(real) + "quick.ini");
    EXPECT_EQ(ExpandFileName("sub/../quick.ini"), AddPathDelimiter(real) + "quick.ini");
    EXPECT_EQ(ExpandFileName("/abs/q.ini"), "/abs/q.ini");
    SetCurrentDir(saved);
}

TEST(Paths, TempPathEndsWithDelimiter) {
    ASSERT_FALSE(TempPath().empty());
    EXPECT_EQ(TempPath().back(), PathDelim);
}

TEST(Files, FolderScanAndLookupIgnoreCase) {
    TempDir dir;
    for (const char* n : {"algebra.qst", "GEO.QST", "Mixed.Qst", "notes.txt", ".hidden.qst", "qst"})
        WriteBytes(dir.File(n), "x");
    std::filesystem::create_directories(NativePath(dir.File("folder.qst")));
    // A Cyrillic name passes through as cp1251.
    WriteBytes(dir.File(A("Физика.QST")), "x");
    std::vector<std::string> expected{"GEO.QST", "Mixed.Qst", "algebra.qst", A("Физика.QST")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ScanFolder(dir.Path(), "*.QST"), expected);
    EXPECT_EQ(ScanFolder(dir.Path(), "?EO.*"), std::vector<std::string>{"GEO.QST"});

    EXPECT_EQ(FindFileNoCase(dir.File("ALGEBRA.QSZ")), "");
    EXPECT_EQ(FindFileNoCase(dir.File("ALGEBRA.QST")), dir.File("algebra.qst"));
    EXPECT_EQ(FindFileNoCase(dir.File(A("физика.qst"))), dir.File(A("Физика.QST")));
    EXPECT_TRUE(FileExists(dir.File("geo.qst")));
    EXPECT_FALSE(FileExists(dir.File("folder.qst")));
    EXPECT_TRUE(DeleteFileAnsi(dir.File("NOTES.TXT")));
    EXPECT_FALSE(FileExists(dir.File("notes.txt")));
}

TEST(Files, MaskMatching) {
    struct {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {{"a.qst", "*.QST", true},  {"a.qsz", "*.QST", false}, {"a.qst.bak", "*.QST", false},
                 {"abc", "a*c", true},       {"ac", "a*c", true},        {"ab", "a?", true},
                 {"a", "a?", false},         {"x.y.qst", "*.qst", true}, {"", "*", true}};
    for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.match) << c.name << " " << c.mask;
}

TEST(Files, LanguageFileCandidatesInOrder) {
    TempDir dir;
    SetProgramFileName(dir.File("TEST"));
    const std::string abbrev = LanguageAbbreviation();
    EXPECT_EQ(FindLanguageFileName(), "");
    if (abbrev.size() >= 2) {
        WriteBytes(dir.File("TEST." + abbrev.substr(0, 2)), "");
        EXPECT_EQ(FindLanguageFileName(), dir.File("TEST." + abbrev.substr(0, 2)));
    }
    if (abbrev.size() >= 3) {
        WriteBytes(dir.File("TEST." + abbrev), "");
        EXPECT_EQ(FindLanguageFileName(), dir.File("TEST." + abbrev));
    }
    WriteBytes(dir.File("test.LNG"), "");
    EXPECT_EQ(FindLanguageFileName(), dir.File("test.LNG"));
    SetProgramFileName("");
}

TEST(Machine, NamesAndTicks) {
    EXPECT_FALSE(ComputerName().empty());
    EXPECT_FALSE(UserName().empty());
    uint32_t a = TickCount();
    uint32_t b = TickCount();
    EXPECT_LE(uint32_t(b - a), 1000u);
}

}  // namespace
