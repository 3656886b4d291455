// The kvizor2c command-line tool, run as a teacher runs it.
#include "CodePage.h"
#include "Files.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <filesystem>

namespace {
struct ToolRun {
    int status = -1;
    std::string out, err;  // UTF-8
};

class Kvizor2cTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string tool;

    void SetUp() override {
        // A copy in a folder of its own, so that the language file beside it is ours.
        tool = dir.File("kvizor2c");
        std::filesystem::copy_file(KVIZOR2C, NativePath(tool));
        std::filesystem::permissions(NativePath(tool), std::filesystem::perms::owner_all);
    }

    ToolRun Start(const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(QString::fromStdString(NativePath(dir.Path())));
        p.start(QString::fromStdString(NativePath(tool)), args);
        p.waitForFinished(30000);
        ToolRun r;
        r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput().toStdString();
        r.err = p.readAllStandardError().toStdString();
        return r;
    }
};

const std::string Good = A("?1\r\nСколько будет 2+2?\r\n+4\r\n-5\r\n?2\r\nСтолица\r\n+Москва\r\n+Moscow\r\n-Рим\r\n");
const std::string Faulty = A("?\r\nБез верного\r\n-a\r\n-b\r\n");
}  // namespace

TEST_F(Kvizor2cTest, CompilesWithStatusByOutcome) {
    WriteBytes(dir.File("kvizor2.lng"), A("[-Messages-]\r\nrsQuestCount=Вопросов всего: %d\r\n"));
    WriteBytes(dir.File("GOOD.QST"), Good);
    WriteBytes(dir.File("faulty.qst"), Faulty);

    ToolRun good = Start({"GOOD.QST"});
    EXPECT_EQ(good.status, 0) << good.err;
    EXPECT_NE(good.out.find("Время компиляции:"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("Вопросов всего: 2"), std::string::npos) << good.out;
    EXPECT_TRUE(FileExists(dir.File("GOOD.qsz")));
    EXPECT_TRUE(FileExists(dir.File("GOOD.log")));

    ToolRun faulty = Start({"faulty.qst"});
    EXPECT_EQ(faulty.status, 3);
    EXPECT_NE(faulty.out.find("Строка 5: Нет ни одного верного ответа на вопрос."), std::string::npos) << faulty.out;

    ToolRun missing = Start({"GOOD.QST", "missing.qst", "faulty.qst"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Не могу открыть файл"), std::string::npos) << missing.err;
    EXPECT_NE(missing.out.find("Вопросов всего: 1"), std::string::npos) << "the files after the failure still compile";

    ToolRun help = Start({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("+"), std::string::npos);
}

TEST_F(Kvizor2cTest, DumpShowsQuestionsAndSurvivesDamage) {
    WriteBytes(dir.File("good.qst"), Good);
    ASSERT_EQ(Start({"good.qst"}).status, 0);

    ToolRun dump = Start({"--dump", "GOOD.QSZ"});  // found whatever the letter case
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, "Сколько будет 2+2? \n+4\n-5\n\nСтолица \n+Москва\n+Moscow\n-Рим\n");

    const std::string qsz = ReadBytes(dir.File("good.qsz"));
    WriteBytes(dir.File("cut.qsz"), qsz.substr(0, qsz.size() - 6));
    WriteBytes(dir.File("junk.qsz"), "not a compiled file");
    for (const char* name : {"cut.qsz", "junk.qsz", "none.qsz"}) {
        ToolRun bad = Start({"--dump", name});
        EXPECT_EQ(bad.status, 1) << name;
        EXPECT_FALSE(bad.err.empty()) << name;
        EXPECT_EQ(dump.out.compare(0, bad.out.size(), bad.out), 0) << name << ": prints what could be read";
    }
}
