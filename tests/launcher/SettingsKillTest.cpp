// A writer of the settings file killed at random moments: after every kill the file
// holds the old content or the new one, whole; a temporary file left behind is
// hidden, never taken for a topic or a settings file, and gone after the next write.
#include "Files.h"
#include "Profile.h"
#include "Startup.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Writer = std::function<void(TIniFile&, bool)>;

struct KillCase {
    const char* name;
    std::string initial;  // the file before the first write
    Writer write;         // writes state A (false) or state B (true) in one write
};

// Every option key in one write.
void WriteOptions(TIniFile& ini, bool b) {
    const char* s = Options::Section;
    ini.Update({TIniChange::Write(s, "Mode", b ? "1" : "0"), TIniChange::Write(s, "MixQst", b ? "0" : "1"),
                TIniChange::Write(s, "TimeLimit", b ? "120" : "5"), TIniChange::Write(s, "GlobalTimeLimit", b ? "90" : "0"),
                TIniChange::Write(s, "QstLimit", b ? "100" : "3"),
                TIniChange::Write(s, "UsePath", b ? "/srv/stats/long/folder/name/" : "/tmp/")});
}

std::vector<std::string> LongList() {
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i) names.push_back(A("Ученик ") + std::to_string(10000 + i));
    return names;
}

// A new name added to a long names list, or taken away again.
void WriteNames(TIniFile& ini, bool b) {
    std::vector<std::string> names = LongList();
    if (b) names.insert(names.begin() + 1000, A("Новый Ученик"));
    Families::Rewrite(ini, names);
}

class SettingsKill : public ::testing::TestWithParam<int> {};

const KillCase& Case(int i) {
    static const KillCase cases[] = {
        {"options", "; settings\r\n[Options]\r\nMode=0\r\n[Families]\r\nCount=0\r\n", WriteOptions},
        {"names", "[Options]\r\nMode=1\r\n", WriteNames},
    };
    return cases[i];
}

TEST_P(SettingsKill, FileIsOldOrNewAfterEveryKill) {
    const KillCase& c = Case(GetParam());
    TempDir dir;
    const std::string path = dir.File("kvizor2.ini");
    const std::string tmp = dir.File(".kvizor2.ini.tmp");
    WriteBytes(path, c.initial);
    TIniFile ini(path);

    // The two contents the writer alternates between, and how long one write takes.
    auto t0 = std::chrono::steady_clock::now();
    c.write(ini, false);
    const std::string stateA = ReadBytes(path);
    c.write(ini, true);
    const std::string stateB = ReadBytes(path);
    const long writeUs = long(std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count() / 2);
    ASSERT_NE(stateA, stateB);

    std::mt19937 rnd(12345u + unsigned(GetParam()));
    int leftovers = 0, sawA = 0, sawB = 0;
    const int kills = 200;
    for (int k = 0; k < kills; ++k) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            TIniFile child(path);
            for (bool b = k & 1;; b = !b) c.write(child, b);
        }
        // Anywhere within the first few writes, most often in the middle of one.
        std::this_thread::sleep_for(std::chrono::microseconds(rnd() % unsigned(3 * writeUs + 200)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);

        ClearProfileCache();
        const std::string now = ReadBytes(path);
        ASSERT_TRUE(now == stateA || now == stateB) << c.name << ": a mixed file after kill " << k;
        (now == stateA ? sawA : sawB)++;
        EXPECT_FALSE(ini.ReadString("Options", "Mode", "").empty());
        if (std::filesystem::exists(NativePath(tmp))) {
            ++leftovers;
            EXPECT_EQ(ScanFolder(dir.Path(), "*"), std::vector<std::string>{"kvizor2.ini"});
            EXPECT_TRUE(ScanFolder(dir.Path(), "*.QST").empty());
            EXPECT_TRUE(ScanFolder(dir.Path(), "*.QSZ").empty());
            EXPECT_EQ(FindFileNoCase(path), path);
            // The next write takes the leftover over and leaves nothing behind.
            c.write(ini, now == stateA);
            EXPECT_FALSE(std::filesystem::exists(NativePath(tmp)));
            EXPECT_EQ(ReadBytes(path), now == stateA ? stateB : stateA);
        }
    }
    std::printf("%s: %d kills, one write %ld us, file old %d / new %d times, temporary file left %d times\n",
                c.name, kills, writeUs, sawA, sawB, leftovers);
}

INSTANTIATE_TEST_SUITE_P(Writes, SettingsKill, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& i) { return std::string(Case(i.param).name); });

}  // namespace
