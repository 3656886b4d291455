#include "CodePage.h"
#include "ErrorDisplay.h"
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
        TQtDialogs dialogs;
        SetDialogs(&dialogs);
        TQtShell shell;
        SetShell(&shell);
        // The login window and the confirmation dialog come with the launcher's windows;
        // until they exist there is nothing to show, and the loop ends at once.
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
        rc = app.exec();
        SetShell(nullptr);
        SetDialogs(nullptr);
    }
    CloseMessageReader();
    LauncherShutdown();
    return rc;
}
