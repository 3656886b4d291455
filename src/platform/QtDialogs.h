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
