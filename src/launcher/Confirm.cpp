#include "Confirm.h"

#include "ui_FrmConfirm.h"

#include "CodePage.h"
#include "ErrorDisplay.h"
#include "FormSupport.h"

#include <QStyle>

TFrmConfirm* FrmConfirm = nullptr;

TFrmConfirm::TFrmConfirm(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::FrmConfirm>()) {
    ui_->setupUi(this);
    setFont(DialogFont());
    // A dialog box: a close box and nothing else, always on top, centred.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(368, 71);
    ui_->BtnYes->setIcon(Glyph("yes"));
    ui_->BtnNo->setIcon(Glyph("no"));
    connect(ui_->BtnYes, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->BtnNo, &QPushButton::clicked, this, &QDialog::reject);
    Lang.SetSeparator(".");
}

TFrmConfirm::~TFrmConfirm() {
    if (FrmConfirm == this) FrmConfirm = nullptr;
}

bool TFrmConfirm::Ask(const std::string& text) {
    ui_->LblConfirm->setText(AnsiToQString(text));
    ui_->BtnYes->setDefault(true);
    ui_->BtnYes->setFocus();
    return exec() == QDialog::Accepted;
}

void TFrmConfirm::FormShow() {
    raise();
    activateWindow();
}

void TFrmConfirm::FormActivate() {
    if (Lang.FindLanguageFile()) Lang.Translate();
}

void TFrmConfirm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui_->BtnYes->setFocus();
    RunHandler([this] { FormShow(); });
}

void TFrmConfirm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (IsActivation(event, this)) RunHandler([this] { FormActivate(); });
}

bool AskConfirmation(const std::string& text) { return FrmConfirm && FrmConfirm->Ask(text); }
