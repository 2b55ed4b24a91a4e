#include "app/AboutBox.h"
#include "app/MainForm.h"
#include "app/QuitSignals.h"
#include "app/Recovery.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zelquor"));
    QApplication::setApplicationName(QString::fromLatin1(zq::kProgramTitle));

    zq::TForm1 form;
    zq::TAboutBox about(&form);
    form.setAboutBox(&about);
    form.show();
    zq::quitOnTerminationSignals(&form);
    QTimer::singleShot(0, &form, [&form] {
        // Once the window shows the default game: the unsaved game of an
        // editor that exited or crashed, then a file to open, as from a file
        // manager (zelquor-editor game.z80).
        form.startRecovery(zq::Recovery::defaultFolder());
        const QStringList arguments = QApplication::arguments();
        if (arguments.size() > 1)
            form.openFile(arguments.at(1));
    });
    return app.exec();
}
