#include "Engine.h"

#include "CodePage.h"
#include "Error.h"
#include "Files.h"
#include "Seams.h"
#include "Startup.h"
#include "Statistics.h"

#include <cmath>

void TCountdown::Reset(int limit) {
    Max = limit < 0 ? 0 : limit;
    Value = Max;
    Active = limit > 0;
    Color = TGaugeColor::Lime;
}

void TCountdown::ApplyColorRule() {
    if (Value <= Max / 4) Color = TGaugeColor::Red;
    else if (Value <= Max / 2) Color = TGaugeColor::Yellow;
}

std::string SchoolMark(double x) {
    double whole = std::floor(x + 0.5);
    std::string text = std::to_string(static_cast<long long>(whole));
    if (x - std::floor(x) >= 0.5) text += "-";
    return text;
}

namespace {
std::string Cut255(std::string s) {
    if (s.size() > 255) s.resize(255);
    return s;
}
}  // namespace

TTestRun::TTestRun(TTestRunView& view) : view_(view) {
    StartTime = Clock().Now();
    ComputerName = Cut255(::ComputerName());
    UserName = Cut255(::UserName());
}

void TTestRun::SetupCountdowns() {
    RunCountdown.Reset(RunTimeLimit);
    QuestionCountdown.Reset(QstTimeLimit);
    view_.ShowRunCountdown(RunCountdown);
    view_.ShowQuestionCountdown(QuestionCountdown);
}

void TTestRun::Start() {
    NextIndex = 0;
    AnswerLocked = true;
    NextQstClick();
}

void TTestRun::NextQstClick() {
    if (RunEnded) return;
    if (!AnswerLocked) {
        EvaluateAnswer();
        if (AnswerLocked) return;
    }
    NextQuestion();
}

void TTestRun::NextQuestion() {
    if (NextIndex >= QstCount) {
        FinishRun(true);
        return;
    }
    ShowQuestion(NextIndex);
    ++NextIndex;
}

void TTestRun::ShowQuestion(int32_t index) {
    AnswerLocked = false;
    view_.ShowLegend(false);
    Rows.clear();
    TQuestion* q = Questions ? Questions->GetQuestion(index) : nullptr;
    view_.ShowQuestionText(q ? q->Text : std::string());
    if (q) {
        if (MixAnswers) q->ShuffleAnswers();
        for (size_t i = 0; i < q->Answers.size(); ++i)
            Rows.push_back(TAnswerRow{int(i), q->Answers[i].Text, q->Answers[i].Right, 0, TMarker::None});
    }
    view_.ShowRows(Rows);
    QuestionCountdown.Reset(QstTimeLimit);
    view_.ShowQuestionCountdown(QuestionCountdown);
    view_.ShowCounter(Format(Msg(rsQstNumber), {index + 1, QstCount}));
}

void TTestRun::ToggleOption(int row) {
    if (AnswerLocked || row < 0 || size_t(row) >= Rows.size()) return;
    Rows[size_t(row)].Chosen = 1 - Rows[size_t(row)].Chosen;
    view_.UpdateRow(Rows[size_t(row)]);
}

void TTestRun::EvaluateAnswer() {
    AnswerLocked = !HideRightAnswers;
    if (AnswerLocked) view_.ShowLegend(true);
    int r = 0, rc = 0, wc = 0;
    for (TAnswerRow& row : Rows) {
        if (row.Right != 0) {
            ++r;
            if (row.Chosen) ++rc;
            if (AnswerLocked) {
                row.Marker = row.Chosen ? TMarker::Smile : TMarker::Sad;
                view_.UpdateRow(row);
            }
        } else if (row.Chosen) {
            ++wc;
        }
    }
    if (r > 0) Points += (double(rc) / double(r)) / double(wc + 1);
    const int max = NextIndex * 100;
    const int value = static_cast<int>(std::nearbyint(Points * 100.0));  // halves to even
    // A translated mark text that does not fit its values is reported, but it must not
    // stop the run: the question is scored, and pressing on would score it again.
    std::string hint;
    try {
        hint = MarkText();
    } catch (const Error& e) {
        Dialogs().ShowError(e.Text());
    }
    view_.ShowMark(max, value, hint);
}

void TTestRun::Tick() {
    if (RunEnded) return;
    view_.RefreshClock();
    if (QuestionCountdown.Active && !AnswerLocked) {
        QuestionCountdown.SetValue(QuestionCountdown.Value - 1);
        if (QuestionCountdown.Value == 0) NextQstClick();
        QuestionCountdown.ApplyColorRule();
        view_.ShowQuestionCountdown(QuestionCountdown);
    }
    if (!RunEnded && RunCountdown.Active) {
        RunCountdown.SetValue(RunCountdown.Value - 1);
        if (RunCountdown.Value == 0) FinishRun(true);
        RunCountdown.ApplyColorRule();
        view_.ShowRunCountdown(RunCountdown);
    }
}

void TTestRun::Abort() { FinishRun(false); }

std::string TTestRun::MarkText() const {
    return Format(Msg(rsMarkFmt), {Points, QstCount, 5.0 * Points / double(QstCount)});
}

std::string TTestRun::ModeName() const { return Msg(ControlMode ? rsControlMode : rsTutorMode); }

std::string TTestRun::SummaryText() const {
    const std::string crlf = "\r\n";
    return StudentName + "!" + crlf + crlf + Msg(rsFinished) + " " + ModeName() + " " + Msg(rsTopics) + crlf +
           "    " + Topics + crlf + crlf + Msg(rsTimeSpent) +
           FormatDateTime(GetFormatSettings().LongTimeFormat, EndTime - StartTime) + crlf + crlf + MarkText();
}

int32_t TTestRun::CountedQuestions(bool complete) const {
    if (complete) return QstCount;
    return NextIndex == 1 ? 1 : NextIndex - 1;
}

std::string TTestRun::StatHeader() const { return Msg(rsStatFmtHdr); }

std::string TTestRun::StatRecord(bool complete) const {
    const std::string timeFmt = Msg(rsTimeFmt);
    std::string letter = ModeName().substr(0, 1);
    const int32_t n = CountedQuestions(complete);
    if (!complete) letter += "!";
    const std::string dateFmt = Msg(rsDateFmt);
    const std::string fmt = Msg(rsStatFmt);
    const double elapsed = EndTime - StartTime;
    const double mark = 5.0 * Points / double(n);
    const FormatArg args[] = {StudentName,
                              letter,
                              Points,
                              n,
                              Points / double(n),
                              mark,
                              SchoolMark(mark),
                              FormatDateTime(timeFmt, StartTime),
                              FormatDateTime(timeFmt, elapsed),
                              FormatDateTime(timeFmt, (elapsed - std::floor(elapsed)) / double(n)),
                              FormatDateTime(timeFmt, EndTime),
                              FormatDateTime(dateFmt, EndTime),
                              ComputerName,
                              UserName,
                              Topics};
    return Format(fmt, args, sizeof args / sizeof args[0]);
}

void TTestRun::WriteStatistics(bool complete) {
    for (;;) {
        try {
            // The line is made before the file is touched, so a format that does not
            // fit leaves the file as it was.
            const std::string header = StatHeader();
            const std::string record = StatRecord(complete);
            AppendStatRecord(StatsPath + StatFileName, header, record);
            return;
        } catch (const std::exception&) {
            if (!Dialogs().AskConfirmation(Msg(rsStatWriteError))) return;
        }
    }
}

void TTestRun::FinishRun(bool complete) {
    if (RunEnded) return;  // finishes once
    RunEnded = true;
    view_.SetTimerEnabled(false);
    EndTime = Clock().Now();
    view_.EndTopmost();
    if (QstCount == 0) QstCount = 1;
    // A summary that cannot be made (a translated text that does not fit its values)
    // must not cost the student the record: it is reported after the record is written.
    std::string summary;
    std::string summaryError;
    try {
        summary = SummaryText();
    } catch (const Error& e) {
        summaryError = e.Text();
    }
    WriteStatistics(complete);
    if (summaryError.empty()) Dialogs().ShowMessage(summary);
    else Dialogs().ShowError(summaryError);
    Finished = true;
    view_.CloseWindow();
}
