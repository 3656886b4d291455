#pragma once
// The about window: the program's name, description and version, the maker's
// notice, and the maker's web and e-mail addresses as links.
#include <QDialog>

#include <memory>
#include <string>

#include "Language.h"
#include "WidgetAdapter.h"

class QLabel;

namespace Ui {
class FrmAbout;
}

// The maker's addresses and notices. The web address is the program's own README
// beside it, a file URL, until a school names its own through a language file.
std::string DefaultWebAddress();
inline constexpr const char* DefaultMailAddress = "kvizor2@example.org";
inline constexpr const char* LatinNotice = "(c) The Kvizor II authors";

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAbout(QWidget* parent = nullptr);
    ~TFrmAbout() override;

    TWindowComponent Self{this};
    TLanguage Lang{&Self};

    // Event handlers.
    void FormActivate();
    void LblXMouseMove(QLabel* sender);
    void FormMouseMove();
    void LblXClick();
    void Label7Click();

protected:
    void changeEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The link labels take the size of their text; the web address stays centred.
    void FitLinks();

    std::unique_ptr<Ui::FrmAbout> ui_;
};
