#include "app/AboutBox.h"
#include "app/MainForm.h"
#include "app/QuitSignals.h"
#include "app/Recovery.h"

#include <QApplication>
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
        form.startSession(QApplication::arguments(), zq::Recovery::defaultFolder());
    });
    return app.exec();
}
