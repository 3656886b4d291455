#include "Seams.h"

#include "Files.h"

#include <QDateTime>

namespace {
class NoDialogs final : public TDialogs {
public:
    bool AskConfirmation(const std::string&) override { return false; }
    void ShowMessage(const std::string&) override {}
    void ShowError(const std::string&) override {}
    std::string BrowseFolder(const std::string&, const std::string&) override { return {}; }
    std::string SaveFileName(const std::string&, const std::string&, const std::string&, const std::string&) override {
        return {};
    }
};

class NoShell final : public TShell {
public:
    bool OpenDocument(const std::string&) override { return false; }
};

class SystemClock final : public TClock {
public:
    TDateTime Now() override {
        QDateTime now = QDateTime::currentDateTime();
        QDate d = now.date();
        QTime t = now.time();
        return EncodeDate(d.year(), d.month(), d.day()) + EncodeTime(t.hour(), t.minute(), t.second(), t.msec());
    }
    uint32_t TickCount() override { return ::TickCount(); }
};

NoDialogs noDialogs;
NoShell noShell;
TShell* currentShell = &noShell;
SystemClock systemClock;
TDialogs* currentDialogs = &noDialogs;
TClock* currentClock = &systemClock;
}  // namespace

TDialogs& Dialogs() { return *currentDialogs; }
void SetDialogs(TDialogs* dialogs) { currentDialogs = dialogs ? dialogs : &noDialogs; }
TShell& Shell() { return *currentShell; }
void SetShell(TShell* shell) { currentShell = shell ? shell : &noShell; }
TClock& Clock() { return *currentClock; }
void SetClock(TClock* clock) { currentClock = clock ? clock : &systemClock; }
