#pragma once
// The dialogs of the running program, on Qt widgets.
#include "Seams.h"

#include <functional>

class QWidget;

class TQtDialogs : public TDialogs {
public:
    // The confirmation dialog of the launcher answers questions once it exists.
    std::function<bool(const std::string&)> Confirm;

    bool AskConfirmation(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    std::string BrowseFolder(const std::string& prompt, const std::string& start) override;
    std::string SaveFileName(const std::string& title, const std::string& filter, const std::string& defaultExt,
                             const std::string& start) override;
};

// The desktop's "open" action through QDesktopServices: an address with a scheme
// as it stands, anything else as a file path (a relative one against the current
// folder).
class TQtShell : public TShell {
public:
    bool OpenDocument(const std::string& target) override;
};

// True when `target` starts with a URL scheme of two or more characters and a
// colon ("mailto:", "file:"); a drive letter ("C:") is no scheme.
bool HasUrlScheme(const std::string& target);
