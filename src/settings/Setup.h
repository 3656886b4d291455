#pragma once
// The settings window: the test options of section "Options" of the settings
// file, the statistics folder with the statistics file's show and clear buttons,
// and the quick-start file saved with the topics ticked in the login window.
#include <QDialog>

#include <memory>
#include <string>

#include "Language.h"
#include "WidgetAdapter.h"

class TIniFile;

namespace Ui {
class FrmSetup;
}

// What the settings window needs of the login window's topic list.
class TTopicChoice {
public:
    virtual ~TTopicChoice() = default;
    virtual bool AnyTopicTicked() const = 0;
    // The file names of the ticked topics as comma text.
    virtual std::string TickedFilesText() const = 0;
};

class TFrmSetup : public QDialog {
    Q_OBJECT
public:
    TFrmSetup(QWidget* parent, const TTopicChoice& topics);
    ~TFrmSetup() override;

    TWindowComponent Self{this};
    TLanguage Lang{&Self};

    // Event handlers.
    void FormCreate();
    void FormActivate();
    void BtnOkClick();
    void BtnSaveClick();
    void BtnAboutClick();
    void PathEditChange();
    void SBtnStatsPathClick();
    void BtnShowStatsClick();
    void BtnClearStatsClick();

    // Writes every option, the statistics folder included, into `profile`; the
    // running program's statistics folder takes the same value.
    void SaveOptions(TIniFile& profile);

    // The statistics file of the folder shown, saved or not.
    std::string StatsFileName() const;

    TSaveDialog* DlgSave() const { return dlgSave_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<Ui::FrmSetup> ui_;
    const TTopicChoice& topics_;
    TSaveDialog* dlgSave_;
};
