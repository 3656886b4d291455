#pragma once
// Helpers shared by the tests: temporary folders, files, fixed locale and fakes of
// the dialog and clock seams.
#include "CodePage.h"
#include "Format.h"
#include "Seams.h"

#include <deque>
#include <string>
#include <vector>

// A fresh folder removed with the object; its path ends with the delimiter.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

// Russian separators and formats for the scope of the object.
class RussianLocale {
public:
    RussianLocale();
    ~RussianLocale();

private:
    FormatSettings saved_;
};

// Answers questions from a queue and records every message.
class FakeDialogs : public TDialogs {
public:
    FakeDialogs();
    ~FakeDialogs() override;
    std::deque<bool> answers;  // answered in order; no when empty
    std::vector<std::string> questions, messages, errors;
    std::string folderAnswer, saveAnswer;

    bool AskConfirmation(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    std::string BrowseFolder(const std::string& prompt, const std::string& start) override;
    std::string SaveFileName(const std::string&, const std::string&, const std::string&, const std::string&) override;
};

// Records what the desktop would open; opens nothing. `fails` lists targets that
// no application opens.
class FakeShell : public TShell {
public:
    FakeShell();
    ~FakeShell() override;
    std::vector<std::string> opened, fails;
    bool OpenDocument(const std::string& target) override;
};

// A clock that moves only when told to.
class FakeClock : public TClock {
public:
    FakeClock(TDateTime start = 46000.5);
    ~FakeClock() override;
    TDateTime now;
    uint32_t ticks = 1000;
    void Advance(uint32_t ms) {
        ticks += ms;
        now += ms / 86400000.0;
    }
    TDateTime Now() override { return now; }
    uint32_t TickCount() override { return ticks; }
};
