#pragma once
// The program's one yes/no question box. One instance lives from start to exit,
// above every other window of the program, the test window included.
#include <QDialog>

#include <memory>
#include <string>

#include "Language.h"
#include "WidgetAdapter.h"

namespace Ui {
class FrmConfirm;
}

class TFrmConfirm : public QDialog {
    Q_OBJECT
public:
    explicit TFrmConfirm(QWidget* parent = nullptr);
    ~TFrmConfirm() override;

    TWindowComponent Self{this};
    TLanguage Lang{&Self};

    // Places the message, shows the dialog modally; true for yes.
    bool Ask(const std::string& text);

    void FormShow();
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<Ui::FrmConfirm> ui_;
};

// The one instance, once the program made it; AskConfirmation answers no without it.
extern TFrmConfirm* FrmConfirm;

// Asks `text` (ANSI) in the confirmation dialog; true for yes.
bool AskConfirmation(const std::string& text);
