#include "CodePage.h"
#include "Confirm.h"
#include "ErrorDisplay.h"
#include "FormSupport.h"
#include "Login.h"
#include "QtDialogs.h"
#include "Quest.h"
#include "Startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    LauncherStartup(argc, argv);
    OpenMessageReader();
    int rc = 0;
    {
        QApplication app(argc, argv);
        QApplication::setApplicationDisplayName(QString::fromUtf8(ApplicationTitleUtf8()));
        QApplication::setApplicationName(QString::fromUtf8(ApplicationTitleUtf8()));
        InstallFontSubstitutes();
        TQtDialogs dialogs;
        dialogs.Confirm = AskConfirmation;
        SetDialogs(&dialogs);
        {
            // The login window first: it is the main window, and closing it ends the
            // program. Then the one confirmation dialog, kept until exit.
            TFrmLogin login;
            TFrmConfirm confirm;
            FrmConfirm = &confirm;
            login.show();
            rc = app.exec();
            FrmConfirm = nullptr;
        }
        SetDialogs(nullptr);
    }
    CloseMessageReader();
    LauncherShutdown();
    return rc;
}
