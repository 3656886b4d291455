#pragma once
// The message catalogue: every run-time message of the program, by identifier,
// with its built-in text. A language file may replace any text in its section
// "-Messages-"; the built-in text stands when it does not.
#include <initializer_list>
#include <string>

#include "Format.h"

class TLanguage;

struct TMessage {
    const char* Id;       // key in section "-Messages-"
    const char* BuiltIn;  // built-in text, UTF-8 in the source
    // The built-in text in the ANSI code page, as the program uses it.
    std::string Text() const;
};

inline constexpr const char* MessagesSection = "-Messages-";

extern const TMessage rsWrongQstText;
extern const TMessage rsAnsNotFound;
extern const TMessage rsWrongAnsText;
extern const TMessage rsRightAnsNotFound;
extern const TMessage rsCompileTime;
extern const TMessage rsQuestCount;
extern const TMessage rsQstFilesNotFound;
extern const TMessage rsConfirmClose;
extern const TMessage rsNothingSelected;
extern const TMessage rsSelectFolder;
extern const TMessage rsCaption;
extern const TMessage rsControlMode;
extern const TMessage rsTutorMode;
extern const TMessage rsQstNumber;
extern const TMessage rsFinished;
extern const TMessage rsTopics;
extern const TMessage rsTimeSpent;
extern const TMessage rsMarkFmt;
extern const TMessage rsStatFmtHdr;
extern const TMessage rsStatFmt;
extern const TMessage rsTimeFmt;
extern const TMessage rsDateFmt;
extern const TMessage rsStatWriteError;
// The summary sheet of the statistics workbook.
extern const TMessage rsStatsSummary;
extern const TMessage rsStatsMarkChart;
extern const TMessage rsStatsMark;
extern const TMessage rsStatsRuns;
extern const TMessage rsStatsTopic;
extern const TMessage rsStatsAverage;

// All of them, in catalogue order.
const TMessage* const* AllMessages(size_t& count);

// The text of message `m` as the window's language component gives it at this
// moment, formatted with `args`. Without arguments the text is returned as it
// stands (a "%" in it is no placeholder). A text whose placeholders do not fit
// the arguments raises the formatter's error.
std::string Msg(const TLanguage& lang, const TMessage& m, std::initializer_list<FormatArg> args = {});
