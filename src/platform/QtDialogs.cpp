#include "QtDialogs.h"

#include "CodePage.h"
#include "Error.h"
#include "ErrorDisplay.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QFileDialog>
#include <QMessageBox>

namespace {
QWidget* ActiveParent() { return QApplication::activeWindow(); }
QString Title() { return QString::fromUtf8(ApplicationTitleUtf8()); }
}  // namespace

bool TQtDialogs::AskConfirmation(const std::string& text) {
    if (Confirm) return Confirm(text);
    return QMessageBox::question(ActiveParent(), Title(), AnsiToQString(text)) == QMessageBox::Yes;
}

void TQtDialogs::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, Title(), AnsiToQString(text), QMessageBox::Ok, ActiveParent());
    box.exec();
}

void TQtDialogs::ShowError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, Title(), AnsiToQString(ErrorDisplayText(text)), QMessageBox::Ok,
                    ActiveParent());
    box.exec();
}

std::string TQtDialogs::BrowseFolder(const std::string& prompt, const std::string& start) {
    QString dir = QFileDialog::getExistingDirectory(ActiveParent(), AnsiToQString(prompt), AnsiToQString(start));
    return QStringToAnsi(dir);
}

std::string TQtDialogs::SaveFileName(const std::string& title, const std::string& filter, const std::string& defaultExt,
                                     const std::string& start) {
    // The filter comes as "Description|*.ext|..." pairs; Qt wants "Description (*.ext);;...".
    QStringList parts = AnsiToQString(filter).split('|');
    QStringList qtFilters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) qtFilters << parts[i] + " (" + parts[i + 1].replace(';', ' ') + ")";
    QFileDialog dlg(ActiveParent(), AnsiToQString(title), AnsiToQString(start));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    if (!qtFilters.isEmpty()) dlg.setNameFilters(qtFilters);
    if (!defaultExt.empty()) dlg.setDefaultSuffix(AnsiToQString(defaultExt));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return QStringToAnsi(dlg.selectedFiles().first());
}

bool HasUrlScheme(const std::string& target) {
    // RFC 3986: a letter, then letters, digits, "+", "-" or ".".
    size_t i = 0;
    while (i < target.size()) {
        const unsigned char c = static_cast<unsigned char>(target[i]);
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!(letter || (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))) break;
        ++i;
    }
    return i >= 2 && i < target.size() && target[i] == ':';
}

bool TQtShell::OpenDocument(const std::string& target) {
    if (target.empty()) return false;
    const QString text = AnsiToQString(target);
    const QUrl url = HasUrlScheme(target) ? QUrl(text, QUrl::TolerantMode)
                                          : QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
    return url.isValid() && QDesktopServices::openUrl(url);
}
