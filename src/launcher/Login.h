#pragma once
// The login window, the program's main window: a student types or picks a name,
// ticks topics and starts a test run; closing it ends the program.
#include <QChar>
#include <QDialog>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "Language.h"
#include "WidgetAdapter.h"

class QListWidgetItem;

namespace Ui {
class FrmLogin;
}

// The start button's rule: the trimmed name has its first space at position 4 or
// later and at least 6 characters, and a topic is ticked.
bool StartButtonEnabled(const std::string& nameText, bool anyTopicTicked);

// What a character typed into the name box becomes: upper case at the start of the
// text and after a space, where a second space is discarded; unchanged elsewhere.
struct TNameKey {
    bool Discard = false;
    QChar Char;
};
TNameKey NameKeyRule(const QString& text, int caret, QChar typed);

class TFrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit TFrmLogin(QWidget* parent = nullptr);
    ~TFrmLogin() override;

    TWindowComponent Self{this};
    TLanguage Lang{&Self};

    // File names of the listed topics, as the folder scan found them; a compiled
    // topic's entry names its ".QSZ".
    std::vector<std::string> FileNames;

    void FormCreate();
    void FormActivate();
    void FormDestroy();
    void NameComboChange();
    // True when the key was handled here (converted or discarded).
    bool NameComboKeyPress(QChar key);
    void TopicBoxClickCheck();
    void BtnCheckAllClick();
    void BtnCheckNoneClick();
    void BtnSetupClick();
    void BtnCloseClick();
    void BtnStartClick();

    // Step 1 of a start: a name not listed in any letter case joins the list, and
    // the names list of the settings file is written anew.
    void RegisterName();

    void UpdateStartButton();
    bool AnyTopicTicked() const;
    std::vector<std::string> TickedFileList() const;
    std::string TickedFilesText() const;
    std::string TickedTopicsText() const;

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddTopic(const std::string& fileName);
    void AddName(const std::string& name);  // at its alphabetical place
    void AddNames(const std::vector<std::string>& names);
    bool Ticked(int item) const;

    std::unique_ptr<Ui::FrmLogin> ui_;
};
