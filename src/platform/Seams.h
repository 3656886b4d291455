#pragma once
// The seams through which the core reaches the user and the clock. The program
// installs the real ones at start; tests install their own and answer them.
#include <cstdint>
#include <string>

#include "Format.h"

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // The confirmation dialog: true for yes.
    virtual bool AskConfirmation(const std::string& text) = 0;
    // A plain message box with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // The standard error display for an error raised with `text`.
    virtual void ShowError(const std::string& text) = 0;
    // Folder browser; empty when cancelled.
    virtual std::string BrowseFolder(const std::string& prompt, const std::string& start) = 0;
    // File-save dialog; empty when cancelled.
    virtual std::string SaveFileName(const std::string& title, const std::string& filter,
                                     const std::string& defaultExt, const std::string& start) = 0;
};

// The installed dialogs; a program without any answers no to every question,
// and drops messages.
TDialogs& Dialogs();
void SetDialogs(TDialogs* dialogs);

// The desktop's "open" action: a document (a file path) or an address with its
// scheme ("https:", "mailto:") handed to the application the desktop associates
// with it. False when nothing could open it.
class TShell {
public:
    virtual ~TShell() = default;
    virtual bool OpenDocument(const std::string& target) = 0;
};

// The installed shell; a program without one opens nothing.
TShell& Shell();
void SetShell(TShell* shell);

class TClock {
public:
    virtual ~TClock() = default;
    virtual TDateTime Now() = 0;          // local date-time
    virtual uint32_t TickCount() = 0;     // steady milliseconds
};

TClock& Clock();
void SetClock(TClock* clock);  // nullptr: the system clock again
