#pragma once
// The logic of one test run: question count and order, answer rows with
// independent choices, partial-credit scoring, the running mark, the countdowns
// and the end of the run. The test window shows this state and feeds it clicks,
// keys and ticks; tests drive it through a fake view.
#include "Format.h"
#include "Messages.h"
#include "Quest.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class TGaugeColor { Lime, Yellow, Red };
enum class TMarker { None, Smile, Sad };

// A countdown: a value kept within 0..Max, with an active flag and a colour.
struct TCountdown {
    int Max = 0;
    int Value = 0;
    bool Active = false;
    TGaugeColor Color = TGaugeColor::Lime;

    void SetValue(int v) { Value = v < 0 ? 0 : (v > Max ? Max : v); }
    // Sets maximum and value together, colour back to lime; active when limit > 0.
    void Reset(int limit);
    // Red at a quarter of the maximum or less, yellow at half or less, else unchanged.
    void ApplyColorRule();
};

// One answer option as shown: its place, text, right flag and the student's choice.
struct TAnswerRow {
    int Index = 0;
    std::string Text;
    int32_t Right = 0;  // non-zero: a right option (tag of the row's ANS image)
    int Chosen = 0;     // 0 or 1 (tag of the row's SEL image)
    TMarker Marker = TMarker::None;
};

// What the test window shows of the engine's state.
class TTestRunView {
public:
    virtual ~TTestRunView() = default;
    virtual void ShowQuestionText(const std::string& text) = 0;
    virtual void ShowRows(const std::vector<TAnswerRow>& rows) = 0;  // replaces the previous rows
    virtual void UpdateRow(const TAnswerRow& row) = 0;                // choice image and marker
    virtual void ShowLegend(bool visible) = 0;
    virtual void ShowCounter(const std::string& text) = 0;
    virtual void ShowQuestionCountdown(const TCountdown& c) = 0;
    virtual void ShowRunCountdown(const TCountdown& c) = 0;
    virtual void ShowMark(int max, int value, const std::string& hint) = 0;
    virtual void RefreshClock() = 0;
    virtual void SetTimerEnabled(bool enabled) = 0;
    virtual void EndTopmost() = 0;
    virtual void CloseWindow() = 0;
};

// The whole-number mark: x rounded half up, with "-" when the rounding went up.
std::string SchoolMark(double x);

class TTestRun {
public:
    // Hand-over fields, filled by the login window before the run starts.
    bool Finished = false;
    std::unique_ptr<TQuestionList> Questions;
    bool HideRightAnswers = false;
    bool ControlMode = false;
    bool MixAnswers = true;
    bool MixQuestions = true;
    int32_t QstCount = 0;
    int32_t QstTimeLimit = 0;  // seconds, 0: none
    int32_t RunTimeLimit = 0;  // seconds, 0: none
    // State of the run.
    int32_t NextIndex = 0;
    TDateTime StartTime = 0;
    TDateTime EndTime = 0;
    std::string Topics;       // titles joined with ";"
    std::string StudentName;  // as typed
    double Points = 0;
    std::string ComputerName;
    std::string UserName;
    bool AnswerLocked = false;

    TCountdown QuestionCountdown;
    TCountdown RunCountdown;
    std::vector<TAnswerRow> Rows;
    bool RunEnded = false;  // FinishRun has begun: no tick or click counts any more

    // Message lookup of the window's language component; the built-in text by default.
    std::function<std::string(const TMessage&)> Message;

    // Created: start time now, machine and user names read, timer on.
    explicit TTestRun(TTestRunView& view);

    // Loads the run countdown from RunTimeLimit; the question countdown's activity
    // from QstTimeLimit. Called by the login window after it set the fields.
    void SetupCountdowns();

    void Start();
    void NextQstClick();
    void NextQuestion();
    void ShowQuestion(int32_t index);
    void ToggleOption(int row);
    void EvaluateAnswer();
    void Tick();
    void Abort();
    void FinishRun(bool complete);

    std::string MarkText() const;
    std::string ModeName() const;
    // The summary text (elapsed time = EndTime - StartTime).
    std::string SummaryText() const;
    // Questions counted in the statistics record.
    int32_t CountedQuestions(bool complete) const;
    // The header and the record line of the statistics file, without line ends.
    std::string StatHeader() const;
    std::string StatRecord(bool complete) const;
    // Appends the record to StatsPath + "STAT_KV2.TXT", asking to retry on failure.
    void WriteStatistics(bool complete);

private:
    std::string Msg(const TMessage& m) const { return Message ? Message(m) : m.Text(); }
    TTestRunView& view_;
};
