#include "app/AboutBox.h"
#include "app/MainForm.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zelquor"));
    QApplication::setApplicationName(QString::fromLatin1(zq::kProgramTitle));

    zq::TForm1 form;
    zq::TAboutBox about(&form);
    form.setAboutBox(&about);
    form.show();
    // A file to open, as from a file manager: zelquor-editor game.z80
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        form.openFile(arguments.at(1));
    return app.exec();
}
