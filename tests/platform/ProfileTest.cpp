#include "Error.h"
#include "Files.h"
#include "Profile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

// A settings file with the shapes the reader must cope with.
const std::string kSample =
    "; comment line\r\n"
    "[Options]\r\n"
    "  Mode = 1 \r\n"
    "Quoted=\"  padded  \"\r\n"
    "Single='x'\r\n"
    "Unmatched=\"x'\r\n"
    "Hex=0x1F\r\n"
    "Dollar=$ff\r\n"
    "Neg=-12\r\n"
    "Plus=+7\r\n"
    "ZeroX=0x\r\n"
    "Bad=12abc\r\n"
    "Five=5\r\n"
    "Text=abc\r\n"
    "Empty=\r\n"
    "Dup=first\r\n"
    "Dup=second\r\n"
    "no equals sign here\r\n"
    ";Commented=1\r\n"
    "Cyr=\xCF\xF0\xE8\xE2\xE5\xF2\r\n"
    "[\xD2\xE5\xEC\xFB]\r\n"
    "\xCA\xEB\xFE\xF7=\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n";

struct ReadCase {
    const char* section;
    const char* key;
    const char* expected;  // string read with default "DEF"
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, StringValues) {
    TempDir dir;
    WriteBytes(dir.File("a.ini"), kSample);
    TIniFile ini(dir.File("a.ini"));
    EXPECT_EQ(ini.ReadString(GetParam().section, GetParam().key, "DEF"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRead,
    ::testing::Values(ReadCase{"Options", "Mode", "1"}, ReadCase{"options", "MODE", "1"},
                      ReadCase{" Options ", " Mode ", "1"}, ReadCase{"Options", "Quoted", "  padded  "},
                      ReadCase{"Options", "Single", "x"}, ReadCase{"Options", "Unmatched", "\"x'"},
                      ReadCase{"Options", "Empty", ""}, ReadCase{"Options", "Dup", "first"},
                      ReadCase{"Options", "no equals sign here", "DEF"}, ReadCase{"Options", ";Commented", "DEF"},
                      ReadCase{"Options", "Missing", "DEF"}, ReadCase{"Nowhere", "Mode", "DEF"},
                      ReadCase{"Options", "Cyr", "\xCF\xF0\xE8\xE2\xE5\xF2"},
                      // Cyrillic names match without regard to case too.
                      ReadCase{"\xF2\xE5\xEC\xFB", "\xEA\xEB\xDE\xD7", "\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5"}));

TEST(Profile, IntegersAndBooleans) {
    TempDir dir;
    WriteBytes(dir.File("a.ini"), kSample);
    TIniFile ini(dir.File("a.ini"));
    struct {
        const char* key;
        int expected;
    } ints[] = {{"Mode", 1}, {"Hex", 31}, {"Dollar", 255}, {"Neg", -12}, {"Plus", 7},
                {"ZeroX", 99}, {"Bad", 99}, {"Text", 99}, {"Empty", 99}, {"Missing", 99}};
    for (auto& c : ints) EXPECT_EQ(ini.ReadInteger("Options", c.key, 99), c.expected) << c.key;
    EXPECT_TRUE(ini.ReadBool("Options", "Five", false));
    EXPECT_TRUE(ini.ReadBool("Options", "Text", true));
    EXPECT_FALSE(ini.ReadBool("Options", "Text", false));
    EXPECT_FALSE(ini.ReadBool("Options", "Missing", false));
}

TEST(Profile, MissingFileGivesDefaults) {
    TIniFile ini(TempPath() + "kv-no-such-file.ini");
    EXPECT_EQ(ini.ReadString("A", "B", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("A", "B", 4), 4);
    std::vector<std::string> keys{"stale"};
    ini.ReadSection("A", keys);
    EXPECT_TRUE(keys.empty());
}

TEST(Profile, LongValueIsCut) {
    TempDir dir;
    WriteBytes(dir.File("a.ini"), "[S]\r\nK=" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(TIniFile(dir.File("a.ini")).ReadString("S", "K", "").size(), 2047u);
}

TEST(Profile, SectionKeysInFileOrderWithinBufferLimit) {
    TempDir dir;
    std::string text = "[S]\r\nzeta=1\r\nAlpha=2\r\nmid=3\r\n[T]\r\n";
    // 2000 names of 9 bytes (plus a zero each) overflow the 16384-byte buffer.
    for (int i = 0; i < 2000; ++i) text += "key" + std::to_string(100000 + i) + "=v\r\n";
    WriteBytes(dir.File("a.ini"), text);
    TIniFile ini(dir.File("a.ini"));
    std::vector<std::string> keys;
    ini.ReadSection("s", keys);
    EXPECT_EQ(keys, (std::vector<std::string>{"zeta", "Alpha", "mid"}));
    ini.ReadSection("T", keys);
    EXPECT_EQ(keys.size(), 16383u / 10u);
    EXPECT_EQ(keys.front(), "key100000");
}

TEST(Profile, WritesChangeOnlyTheirLineAndKeepLineEnds) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteBytes(path, "; keep me \n[Options]\nMode=0\n  odd line\n\n[Families]\nCount=0\n");
    TIniFile ini(path);
    ini.WriteBool("OPTIONS", "mode", true);
    EXPECT_EQ(ReadBytes(path), "; keep me \n[Options]\nmode=1\n  odd line\n\n[Families]\nCount=0\n");
    ini.WriteInteger("Options", "QstLimit", 7);
    EXPECT_EQ(ReadBytes(path), "; keep me \n[Options]\nmode=1\n  odd line\nQstLimit=7\n\n[Families]\nCount=0\n");
    ini.WriteString("New", "K", "\xE0\xE1");
    EXPECT_EQ(ReadBytes(path),
              "; keep me \n[Options]\nmode=1\n  odd line\nQstLimit=7\n\n[Families]\nCount=0\n[New]\nK=\xE0\xE1\n");
    ini.EraseSection("families");
    EXPECT_EQ(ReadBytes(path), "; keep me \n[Options]\nmode=1\n  odd line\nQstLimit=7\n\n[New]\nK=\xE0\xE1\n");
    EXPECT_EQ(ini.ReadInteger("Options", "QstLimit", 0), 7);
}

TEST(Profile, NewFileIsWrittenWithCrLf) {
    TempDir dir;
    TIniFile ini(dir.File("new.ini"));
    ini.WriteString("Options", "UsePath", "/tmp/");
    ini.WriteInteger("Options", "Count", 3);
    ini.WriteString("Families", "1", "x");
    EXPECT_EQ(ReadBytes(dir.File("new.ini")), "[Options]\r\nUsePath=/tmp/\r\nCount=3\r\n[Families]\r\n1=x\r\n");
}

TEST(Profile, FileWithoutFinalLineEndGetsOneBeforeAddedLines) {
    TempDir dir;
    WriteBytes(dir.File("a.ini"), "[S]\r\nA=1");
    TIniFile ini(dir.File("a.ini"));
    ini.WriteString("S", "B", "2");
    EXPECT_EQ(ReadBytes(dir.File("a.ini")), "[S]\r\nA=1\r\nB=2\r\n");
}

TEST(Profile, FileNameMatchesWithoutRegardToCase) {
    TempDir dir;
    WriteBytes(dir.File("SETTINGS.INI"), "[S]\r\nA=1\r\n");
    TIniFile ini(dir.File("settings.ini"));
    EXPECT_EQ(ini.ReadString("S", "A", ""), "1");
    ini.WriteString("S", "A", "2");
    EXPECT_EQ(ReadBytes(dir.File("SETTINGS.INI")), "[S]\r\nA=2\r\n");
    EXPECT_FALSE(std::ifstream(NativePath(dir.File("settings.ini"))).good());
}

TEST(Profile, ChangesMadeOnDiskAreSeen) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteBytes(path, "[S]\r\nA=1\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "A", ""), "1");
    // Same size, rewritten in place by another program.
    WriteBytes(path, "[S]\r\nA=2\r\n");
    EXPECT_EQ(ini.ReadString("S", "A", ""), "2");
    // Rewritten again and again within the step of the file clock, same size each time.
    for (int i = 0; i < 50; ++i) {
        WriteBytes(path, "[S]\r\nA=" + std::to_string(i % 10) + "\r\n");
        ASSERT_EQ(ini.ReadString("S", "A", ""), std::to_string(i % 10));
    }
    WriteBytes(path, "[S]\r\nA=345\r\n");
    EXPECT_EQ(ini.ReadString("S", "A", ""), "345");
    std::remove(NativePath(path).c_str());
    EXPECT_EQ(ini.ReadString("S", "A", "gone"), "gone");
}

TEST(Profile, FailedWriteRaisesWithPathAndKeepsOldFile) {
    TempDir dir;
    WriteBytes(dir.File("plainfile"), "x");
    const std::string impossible = dir.File("plainfile") + "/sub.ini";
    TIniFile bad(impossible);
    try {
        bad.WriteString("S", "K", "v");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Text(), "Unable to write to " + impossible);
    }
    EXPECT_THROW(bad.EraseSection("S"), Error);

    // The replacement cannot be made (its temporary name is taken by a folder):
    // the error names the file and the old content stays.
    const std::string path = dir.File("a.ini");
    WriteBytes(path, "[S]\r\nK=old\r\n");
    std::filesystem::create_directories(dir.File(".a.ini.tmp"));
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("S", "K", ""), "old");
    try {
        ini.WriteString("S", "K", "new");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Text(), "Unable to write to " + path);
    }
    EXPECT_EQ(ReadBytes(path), "[S]\r\nK=old\r\n");
    EXPECT_EQ(ini.ReadString("S", "K", ""), "old");
}

}  // namespace

// Several changes in one update give the bytes the single calls give, in one
// replacement of the file.
TEST(ProfileUpdate, SameBytesAsSingleCallsInOneReplacement) {
    using C = TIniChange;
    struct Case {
        const char* start;  // nullptr: no file
        std::vector<TIniChange> changes;
    } cases[] = {
        {nullptr, {C::EraseSection("Families"), C::Write("Families", "Count", "2"), C::Write("Families", "1", "A"),
                   C::Write("Families", "2", "B")}},
        {"[Options]\r\nMode=1\r\n[Families]\r\nCount=1\r\n1=Z\r\n\r\n[Tail]\r\nx=1\r\n",
         {C::EraseSection("families"), C::Write("Families", "Count", "2"), C::Write("Families", "1", "A"),
          C::Write("FAMILIES", "2", "B"), C::Write("Options", "Mode", "0"), C::Write("Options", "New", "v")}},
        {"[A]\nk=1\n\n", {C::Write("A", "j", "2"), C::Write("A", "k", "3"),
                          C::Write("B", "x", "w"), C::Write("[C", "q", "1"), C::Write("[C", "r", "2")}},
        {"[A]\r\nk=1\r\n[A]\r\nk=2\r\n", {C::EraseSection("A"), C::Write("A", "k", "3"), C::EraseSection("None")}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string one = dir.File("one.ini"), many = dir.File("many.ini");
        if (c.start) {
            WriteBytes(one, c.start);
            WriteBytes(many, c.start);
        }
        TIniFile single(one);
        for (const TIniChange& ch : c.changes) {
            if (ch.Erase) single.EraseSection(ch.Section);
            else single.WriteString(ch.Section, ch.Key, ch.Value);
        }
        const uint64_t before = ProfileReplacements();
        TIniFile batch(many);
        batch.Update(c.changes);
        EXPECT_EQ(ProfileReplacements() - before, 1u);
        EXPECT_EQ(ReadBytes(many), ReadBytes(one)) << (c.start ? c.start : "(no file)");
        // What the update wrote reads back as the single calls' file does.
        ClearProfileCache();
        for (const TIniChange& ch : c.changes)
            if (!ch.Erase) EXPECT_EQ(batch.ReadString(ch.Section, ch.Key, "?"), single.ReadString(ch.Section, ch.Key, "?"));
    }
}

TEST(ProfileUpdate, FailureWritesNothing) {
    TempDir dir;
    TIniFile ini(dir.File("missing/x.ini"));
    try {
        ini.Update({TIniChange::EraseSection("F"), TIniChange::Write("F", "Count", "1")});
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Text(), "Unable to write to " + dir.File("missing/x.ini"));
    }
    if (::geteuid() == 0) return;  // root writes into read-only folders
    const std::string path = dir.File("ro.ini");
    WriteBytes(path, "[F]\r\nCount=1\r\n1=A\r\n");
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(TIniFile(path).Update({TIniChange::EraseSection("F"), TIniChange::Write("F", "Count", "0")}), Error);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadBytes(path), "[F]\r\nCount=1\r\n1=A\r\n");
}

namespace {

TEST(Profile, ValuesReadBackExactlyAsWritten) {
    struct {
        std::string value, line;  // the value and the line it is stored as
    } cases[] = {
        {"plain", "K=plain"},
        {"", "K="},
        {" padded ", "K=\" padded \""},
        {"\ttab", "K=\"\ttab\""},
        {"\"quoted\"", "K=\"\"quoted\"\""},
        {"'single'", "K=\"'single'\""},
        {"\"", "K=\""},
        {"a=b;c", "K=a=b;c"},
    };
    TempDir dir;
    TIniFile ini(dir.File("a.ini"));
    for (const auto& c : cases) {
        ini.WriteString("S", "K", c.value);
        EXPECT_EQ(ReadBytes(dir.File("a.ini")), "[S]\r\n" + c.line + "\r\n");
        ClearProfileCache();
        EXPECT_EQ(ini.ReadString("S", "K", "?"), c.value);
    }
    const std::string longValue = " " + std::string(3000, 'x');
    ini.WriteString("S", "K", longValue);
    EXPECT_EQ(ini.ReadString("S", "K", "?"), longValue.substr(0, TIniFile::MaxValueLength));
}

TEST(Profile, UnstorableWritesAreRefusedAndLeaveTheFile) {
    struct {
        const char *section, *key, *value;
    } cases[] = {
        {"a]b", "K", "v"}, {"S", "x=y", "v"}, {"S", "[K", "v"},     {"S", " ;K", "v"},
        {"S", "K", "a\r\nb"}, {"S", "K\n", "v"},  {"S\r", "K", "v"},
    };
    TempDir dir;
    const std::string path = dir.File("a.ini");
    WriteBytes(path, "[S]\r\nK=old\r\n");
    TIniFile ini(path);
    for (const auto& c : cases) {
        try {
            ini.WriteString(c.section, c.key, c.value);
            ADD_FAILURE() << "no error for [" << c.section << "] " << c.key << "=" << c.value;
        } catch (const Error& e) {
            EXPECT_EQ(e.Text(), "Unable to write to " + path);
        }
        // One bad change spoils the whole update: nothing is written.
        EXPECT_THROW(ini.Update({TIniChange::Write("S", "New", "1"), TIniChange::Write(c.section, c.key, c.value)}), Error);
        EXPECT_EQ(ReadBytes(path), "[S]\r\nK=old\r\n");
    }
    // A section named "[C" is stored and found again.
    ini.WriteString("[C", "q", "1");
    EXPECT_EQ(ini.ReadString("[C", "q", ""), "1");
}

// A temporary file left by a writer that was killed is hidden, not listed with the
// folder's files, and taken over by the next write.
TEST(Profile, LeftoverTemporaryFileIsHiddenAndReused) {
    TempDir dir;
    const std::string path = dir.File("kvizor2.ini");
    WriteBytes(path, "[Options]\r\nMode=0\r\n");
    WriteBytes(dir.File(".kvizor2.ini.tmp"), "[Options]\r\nMode=1\r\nhalf");
    EXPECT_EQ(ScanFolder(dir.Path(), "*"), std::vector<std::string>{"kvizor2.ini"});
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadInteger("Options", "Mode", 9), 0);
    ini.WriteInteger("Options", "QstLimit", 7);
    EXPECT_EQ(ReadBytes(path), "[Options]\r\nMode=0\r\nQstLimit=7\r\n");
    EXPECT_FALSE(std::filesystem::exists(NativePath(dir.File(".kvizor2.ini.tmp"))));
}

// Writers of one file in several processes take turns, so none loses another's change.
TEST(Profile, ConcurrentWritersKeepEveryChange) {
    TempDir dir;
    const std::string path = dir.File("a.ini");
    const int writers = 4, each = 25;
    std::vector<pid_t> pids;
    for (int w = 0; w < writers; ++w) {
        pid_t pid = fork();
        if (pid == 0) {
            TIniFile ini(path);
            try {
                for (int i = 0; i < each; ++i) ini.WriteInteger("W" + std::to_string(w), std::to_string(i), i);
            } catch (...) {
                _exit(1);
            }
            _exit(0);
        }
        pids.push_back(pid);
    }
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ClearProfileCache();
    TIniFile ini(path);
    for (int w = 0; w < writers; ++w) {
        std::vector<std::string> keys;
        ini.ReadSection("W" + std::to_string(w), keys);
        EXPECT_EQ(keys.size(), size_t(each)) << w;
    }
}

}  // namespace
