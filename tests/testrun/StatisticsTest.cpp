#include "EngineFixture.h"
#include "Error.h"
#include "Statistics.h"

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

namespace {

// A knowledge-check run of 10 questions, 7.5 points, 10 minutes.
class StatRecordTest : public EngineTest {
protected:
    TTestRun& Finished10() {
        TTestRun& r = Make(std::vector<std::string>(10, "RW"));
        r.ControlMode = true;
        r.StudentName = A("Ученик Первый");
        r.Topics = A("Алгебра;Геометрия");
        r.ComputerName = "PC-01";
        r.UserName = "student";
        r.Points = 7.5;
        r.NextIndex = 10;
        return r;
    }
    RussianLocale ru;
};

const char* const kHeader =
    "Фамилия и Имя Учащегося       |Режим|Баллов|MAX|Средн|Оценка|Шк|Время начала|Время работы|Средн. время|"
    "Время окончания|Дата окончания|Имя компьютера      |Имя пользователя    |Тема";

TEST_F(StatRecordTest, HeaderAndRecordByteForByte) {
    TTestRun& r = Finished10();
    clock.Advance(10 * 60 * 1000);
    r.FinishRun(true);
    const std::string record = A("Ученик Первый                 |К    |  7,50| 10| 0,75|   3,8|4-|09:00:00    |"
                                 "00:10:00    |00:01:00    |09:10:00       |10.12.2026    |PC-01               |"
                                 "student             |Алгебра;Геометрия");
    EXPECT_EQ(StatFile(), A(kHeader) + "\r\n" + record + "\r\n");
    // Every "|" of the header stands where the record has its own.
    std::string h = A(kHeader);
    for (size_t i = 0; i < h.size(); ++i)
        if (h[i] == '|') EXPECT_EQ(record[i], '|') << i;

    // The second run appends one record and no second header.
    TTestRun& s = Finished10();
    s.StudentName = A("Иванов Иван Иванович Петров-Водкин");  // 35 characters
    s.FinishRun(false);
    std::string file = StatFile();
    EXPECT_EQ(file.find(A(kHeader)), 0u);
    EXPECT_EQ(file.find(A(kHeader), 1), std::string::npos);
    EXPECT_NE(file.find("\r\n" + A("Иванов Иван Иванович Петров-Во|К!   |  7,50|  9|")), std::string::npos);
    EXPECT_EQ(Records(), 2u);
}

TEST_F(StatRecordTest, ShortNamePaddedAndAverageTime) {
    TTestRun& r = Finished10();
    r.StudentName = "Ann";
    r.EndTime = r.StartTime + EncodeTime(0, 10, 0, 0);
    const std::string rec = r.StatRecord(true);
    EXPECT_EQ(rec.substr(0, 31), "Ann" + std::string(27, ' ') + "|");
    EXPECT_NE(rec.find("|00:10:00    |00:01:00    |"), std::string::npos);
}

TEST_F(StatRecordTest, MissingFolderAsksUntilNo) {
    StatsPath = stats.Path() + "no-such-folder/";
    dialogs.answers = {true, true, false};
    TTestRun& r = Finished10();
    r.FinishRun(true);
    const std::string question = A(
        "Результаты не были сохранены в файле статистики из-за какой-то ошибки!\r\nПопробуем ещё раз?");
    EXPECT_EQ(dialogs.questions, (std::vector<std::string>{question, question, question}));
    ASSERT_EQ(dialogs.messages.size(), 1u);  // the summary is still shown
    EXPECT_TRUE(r.Finished);
    EXPECT_TRUE(view.closed);
}

TEST_F(StatRecordTest, RetrySucceedsOnceTheFolderExists) {
    StatsPath = stats.Path() + "later/";
    TTestRun& r = Finished10();
    struct CreatingDialogs : FakeDialogs {
        std::string folder;
        bool AskConfirmation(const std::string& text) override {
            std::filesystem::create_directories(NativePath(folder));
            return FakeDialogs::AskConfirmation(text), true;
        }
    } creating;
    creating.folder = StatsPath;
    r.FinishRun(true);
    EXPECT_EQ(creating.questions.size(), 1u);
    EXPECT_EQ(ReadBytes(StatsPath + "STAT_KV2.TXT").substr(0, 5), A(kHeader).substr(0, 5));
    SetDialogs(&dialogs);
}

TEST_F(StatRecordTest, StatsPathWithoutDelimiterGluesTheName) {
    StatsPath = stats.Path() + "x";
    Finished10().FinishRun(true);
    EXPECT_FALSE(ReadBytes(stats.Path() + "xSTAT_KV2.TXT").empty());
}

TEST(StatFile, FailedAttemptLeavesNoPartialLine) {
    TempDir dir;
    const std::string path = dir.File("STAT_KV2.TXT");
    AppendStatRecord(path, "H", "first");
    const std::string before = ReadBytes(path);
    pid_t pid = fork();
    if (pid == 0) {
        // A file-size limit makes the write stop half-way, as a full disk would.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{rlim_t(before.size() + 10), rlim_t(before.size() + 10)};
        setrlimit(RLIMIT_FSIZE, &lim);
        try {
            AppendStatRecord(path, "H", std::string(100, 'x'));
        } catch (const Error&) {
            _exit(7);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    EXPECT_EQ(ReadBytes(path), before);
    AppendStatRecord(path, "H", "second");
    EXPECT_EQ(ReadBytes(path), "H\r\nfirst\r\nsecond\r\n");
}

TEST(StatFile, EmptyFileGetsItsHeader) {
    TempDir dir;
    WriteBytes(dir.File("STAT_KV2.TXT"), "");
    AppendStatRecord(dir.File("stat_kv2.txt"), "H", "r");
    EXPECT_EQ(ReadBytes(dir.File("STAT_KV2.TXT")), "H\r\nr\r\n");
}

TEST(StatFile, ConcurrentWritersLoseNothing) {
    TempDir dir;
    const std::string path = dir.File("STAT_KV2.TXT");
    const int writers = 8, each = 200;
    std::vector<pid_t> pids;
    for (int w = 0; w < writers; ++w) {
        pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < each; ++i) {
                std::string rec = "writer " + std::to_string(w) + " record " + std::to_string(i) + " " +
                                  std::string(size_t(50 + (i * 37 + w * 11) % 400), char('a' + w));
                try {
                    AppendStatRecord(path, "HEADER", rec);
                } catch (...) {
                    _exit(1);
                }
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
    std::string file = ReadBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p = file.find("\r\n"); p != std::string::npos; p = file.find("\r\n", start)) {
        lines.push_back(file.substr(start, p - start));
        start = p + 2;
    }
    EXPECT_EQ(start, file.size());  // ends with a whole line
    ASSERT_EQ(lines.size(), size_t(1 + writers * each));
    EXPECT_EQ(lines[0], "HEADER");
    std::vector<std::vector<bool>> seen(writers, std::vector<bool>(each, false));
    for (size_t k = 1; k < lines.size(); ++k) {
        int w = -1, i = -1;
        ASSERT_EQ(std::sscanf(lines[k].c_str(), "writer %d record %d", &w, &i), 2) << lines[k];
        std::string tail = lines[k].substr(lines[k].rfind(' ') + 1);
        EXPECT_EQ(tail, std::string(size_t(50 + (i * 37 + w * 11) % 400), char('a' + w)));
        seen[size_t(w)][size_t(i)] = true;
    }
    for (auto& v : seen)
        for (bool b : v) EXPECT_TRUE(b);
}

}  // namespace

namespace {

// Several writers appending at once, all killed at a random moment, 200 times over:
// every line of the file is the header or one whole record, and there is one header.
TEST(StatFile, WritersKilledMidAppendLeaveOnlyWholeLines) {
    TempDir dir;
    const std::string path = dir.File("STAT_KV2.TXT");
    const int writers = 3, kills = 200;
    auto record = [](int w, int i) {
        return "w" + std::to_string(w) + " r" + std::to_string(i) + " " + std::string(size_t(20 + (i * 31) % 300), 'x') + " end";
    };
    std::mt19937 rnd(777);
    for (int k = 0; k < kills; ++k) {
        std::vector<pid_t> pids;
        for (int w = 0; w < writers; ++w) {
            pid_t pid = fork();
            if (pid == 0) {
                for (int i = 0;; ++i) {
                    try {
                        AppendStatRecord(path, "HEADER", record(w, i));
                    } catch (...) {
                        _exit(1);
                    }
                }
            }
            pids.push_back(pid);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(rnd() % 3000));
        for (pid_t pid : pids) kill(pid, SIGKILL);
        for (pid_t pid : pids) waitpid(pid, nullptr, 0);
    }
    const std::string file = ReadBytes(path);
    size_t start = 0, records = 0;
    int headers = 0;
    for (size_t p = file.find("\r\n"); p != std::string::npos; p = file.find("\r\n", start)) {
        const std::string line = file.substr(start, p - start);
        start = p + 2;
        if (line == "HEADER") {
            ++headers;
            continue;
        }
        int w = -1, i = -1;
        ASSERT_EQ(std::sscanf(line.c_str(), "w%d r%d", &w, &i), 2) << line;
        ASSERT_EQ(line, record(w, i));
        ++records;
    }
    EXPECT_EQ(start, file.size()) << "the file ends with a whole line";
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(file.rfind("HEADER\r\n", 0), 0u);
    std::printf("%d kills of %d writers: %zu whole records\n", kills, writers, records);
}

}  // namespace
