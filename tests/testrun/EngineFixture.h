#pragma once
#include "Engine.h"
#include "Files.h"
#include "Startup.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

// Records what the engine shows.
class FakeView : public TTestRunView {
public:
    std::string text, counter;
    std::vector<TAnswerRow> rows;
    bool legend = false, timer = true, topmost = true, closed = false;
    TCountdown qst, run;
    int markMax = -1, markValue = -1;
    std::string markHint;
    int clockRefreshes = 0;

    void ShowQuestionText(const std::string& t) override { text = t; }
    void ShowRows(const std::vector<TAnswerRow>& r) override { rows = r; }
    void UpdateRow(const TAnswerRow& r) override { rows.at(size_t(r.Index)) = r; }
    void ShowLegend(bool v) override { legend = v; }
    void ShowCounter(const std::string& t) override { counter = t; }
    void ShowQuestionCountdown(const TCountdown& c) override { qst = c; }
    void ShowRunCountdown(const TCountdown& c) override { run = c; }
    void ShowMark(int max, int value, const std::string& hint) override {
        markMax = max;
        markValue = value;
        markHint = hint;
    }
    void RefreshClock() override { ++clockRefreshes; }
    void SetTimerEnabled(bool e) override { timer = e; }
    void EndTopmost() override { topmost = false; }
    void CloseWindow() override { closed = true; }
};

// Options of a question: 'R' right, 'W' wrong.
inline std::unique_ptr<TQuestion> MakeQuestion(const std::string& text, const std::string& options) {
    auto q = std::make_unique<TQuestion>();
    q->Text = text;
    for (size_t i = 0; i < options.size(); ++i)
        q->Answers.push_back(TAnswer{text + "-" + std::to_string(i), options[i] == 'R' ? -1 : 0});
    return q;
}

// A run over `count` questions of options "RW" (or the given shapes), in a
// statistics folder of its own, with a fixed clock and scripted dialogs.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { StatsPath = stats.Path(); }
    void TearDown() override { StatsPath.clear(); }

    TTestRun& Make(std::vector<std::string> shapes, int qstCount = -1) {
        run = std::make_unique<TTestRun>(view);
        run->Questions = std::make_unique<TQuestionList>();
        for (size_t i = 0; i < shapes.size(); ++i) run->Questions->Add(MakeQuestion("Q" + std::to_string(i), shapes[i]));
        run->QstCount = qstCount < 0 ? int32_t(shapes.size()) : qstCount;
        run->MixAnswers = false;
        run->HideRightAnswers = true;
        run->StudentName = "Student";
        run->Topics = "Topic";
        return *run;
    }
    std::string StatFile() const { return ReadBytes(stats.File("STAT_KV2.TXT")); }
    size_t Records() const {
        std::string s = StatFile();
        size_t n = 0;
        for (size_t p = s.find("\r\n"); p != std::string::npos; p = s.find("\r\n", p + 2)) ++n;
        return n == 0 ? 0 : n - 1;  // without the header
    }

    TempDir stats;
    FakeClock clock{EncodeDate(2026, 12, 10) + EncodeTime(9, 0, 0, 0)};
    FakeDialogs dialogs;
    FakeView view;
    std::unique_ptr<TTestRun> run;
};
