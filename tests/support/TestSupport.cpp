#include "TestSupport.h"

#include "Files.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

TempDir::TempDir() {
    std::random_device rd;
    std::string base = TempPath() + "kvtest-" + std::to_string(rd()) + std::to_string(rd());
    std::filesystem::create_directories(NativePath(base));
    path_ = AddPathDelimiter(base);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(NativePath(path_), ec);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(NativePath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

RussianLocale::RussianLocale() : saved_(GetFormatSettings()) { SetFormatSettings(RussianFormatSettings()); }
RussianLocale::~RussianLocale() { SetFormatSettings(saved_); }

FakeDialogs::FakeDialogs() { SetDialogs(this); }
FakeDialogs::~FakeDialogs() { SetDialogs(nullptr); }

bool FakeDialogs::AskConfirmation(const std::string& text) {
    questions.push_back(text);
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
}
void FakeDialogs::ShowMessage(const std::string& text) { messages.push_back(text); }
void FakeDialogs::ShowError(const std::string& text) { errors.push_back(text); }
std::string FakeDialogs::BrowseFolder(const std::string&, const std::string&) { return folderAnswer; }
std::string FakeDialogs::SaveFileName(const std::string&, const std::string&, const std::string&, const std::string&) {
    return saveAnswer;
}

FakeShell::FakeShell() { SetShell(this); }
FakeShell::~FakeShell() { SetShell(nullptr); }
bool FakeShell::OpenDocument(const std::string& target) {
    opened.push_back(target);
    return std::find(fails.begin(), fails.end(), target) == fails.end();
}

FakeClock::FakeClock(TDateTime start) : now(start) { SetClock(this); }
FakeClock::~FakeClock() { SetClock(nullptr); }
