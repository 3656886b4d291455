#include "Files.h"
#include "Startup.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Runs the start-up as if the program lived in a temporary folder.
class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        savedDir_ = GetCurrentDir();
        SetProgramFileName(dir.File("kvizor2"));
    }
    void TearDown() override {
        LauncherShutdown();
        SetProgramFileName("");
        SetCurrentDir(savedDir_);
    }
    void Start(std::vector<std::string> args) {
        args.insert(args.begin(), "kvizor2");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        LauncherStartup(int(argv.size()), argv.data());
    }
    TempDir dir;

private:
    std::string savedDir_;
};

TEST_F(Startup, NormalModeUsesProgramNameAndDefaults) {
    Start({});
    EXPECT_EQ(SettingsFileName, dir.File("kvizor2.ini"));
    EXPECT_EQ(ProgramPath, dir.Path());
    EXPECT_EQ(StatsPath, TempPath());
    EXPECT_EQ(WhoIsWhoIni->FileName(), dir.File("WHOISWHO.INI"));
    // No settings file: every key has its default, and nothing was created.
    EXPECT_FALSE(Options::Mode());
    EXPECT_TRUE(Options::MixQst());
    EXPECT_TRUE(Options::MixAns());
    EXPECT_TRUE(Options::ShowRightAnswers());
    EXPECT_EQ(Options::TimeLimit(), 0);
    EXPECT_EQ(Options::GlobalTimeLimit(), 0);
    EXPECT_EQ(Options::QstLimit(), 5);
    EXPECT_EQ(Options::Files(), "");
    EXPECT_EQ(Families::Count(), 0);
    EXPECT_FALSE(FileExists(SettingsFileName));
}

TEST_F(Startup, RelativeArgumentIsExpandedOnceAndExtraArgumentsIgnored) {
    std::filesystem::create_directories(NativePath(dir.File("sub")));
    WriteBytes(dir.File("sub/quick.ini"), "[Options]\r\nUsePath=/stats/\r\nQstLimit=9\r\n");
    ASSERT_TRUE(SetCurrentDir(dir.File("sub")));
    const std::string real = AddPathDelimiter(GetCurrentDir());
    Start({"quick.ini", "ignored.ini", "--whatever"});
    EXPECT_EQ(SettingsFileName, real + "quick.ini");
    EXPECT_EQ(StatsPath, "/stats/");
    SetCurrentDir(dir.Path());  // a later change of folder does not move the settings file
    EXPECT_EQ(Options::QstLimit(), 9);
}

TEST_F(Startup, MissingQuickStartFileBehavesAsEmpty) {
    Start({dir.File("absent.ini")});
    EXPECT_EQ(SettingsFileName, dir.File("absent.ini"));
    EXPECT_EQ(Options::Files(), "");
    EXPECT_TRUE(Families::Names().empty());
    EXPECT_EQ(StatsPath, TempPath());
}

TEST_F(Startup, ValuesAsStoredByHand) {
    WriteBytes(dir.File("kvizor2.ini"),
               "[Options]\r\nUsePath=/data/stats\r\nMode=5\r\nMixQst=abc\r\nMixAns=0\r\nGlobalTimeLimit=2\r\n"
               "TimeLimit=x\r\n");
    Start({});
    EXPECT_EQ(StatsPath, "/data/stats");  // no delimiter added
    EXPECT_TRUE(Options::Mode());
    EXPECT_TRUE(Options::MixQst());  // not a number: the default
    EXPECT_FALSE(Options::MixAns());
    EXPECT_EQ(Options::RunTimeLimitSeconds(), 120);
    EXPECT_EQ(Options::TimeLimit(), 0);
}

TEST_F(Startup, SettingsAreReadAnewAndWrittenAtOnce) {
    Start({});
    Options::SetQstLimit(*SettingsIni, 12);
    Options::SetMode(*SettingsIni, true);
    EXPECT_EQ(ReadBytes(SettingsFileName), "[Options]\r\nQstLimit=12\r\nMode=1\r\n");
    WriteBytes(SettingsFileName, "[Options]\r\nQstLimit=30\r\n");
    EXPECT_EQ(Options::QstLimit(), 30);
    EXPECT_FALSE(Options::Mode());
}

TEST_F(Startup, FamiliesRewriteAndTopicTitles) {
    WriteBytes(dir.File("whoiswho.ini"), "[Files]\r\nAlgebra.QST=" + A("Алгебра") + "\r\n");
    Start({});
    Families::Rewrite(*SettingsIni, {A("Иванов Иван"), "Smith"});
    Families::Rewrite(*SettingsIni, {"A", "B", "C"});
    EXPECT_EQ(Families::Names(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(ReadBytes(SettingsFileName), "[Families]\r\nCount=3\r\n1=A\r\n2=B\r\n3=C\r\n");
    EXPECT_EQ(TopicTitle("ALGEBRA.qst"), A("Алгебра"));
    EXPECT_EQ(TopicTitle("geo.qsz"), "geo");
}

TEST(CommaText, QuotingRules) {
    EXPECT_EQ(CommaText({}), "");
    EXPECT_EQ(CommaText({""}), "\"\"");
    EXPECT_EQ(CommaText({"a.qst", "b.qsz"}), "a.qst,b.qsz");
    EXPECT_EQ(CommaText({"my topic.qst", "x,y.qst", "q\"t.qst"}), "\"my topic.qst\",\"x,y.qst\",\"q\"\"t.qst\"");
    EXPECT_EQ(CommaText({"a", ""}), "a,");
}

}  // namespace
