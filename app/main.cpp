#include "app/AboutBox.h"
#include "app/MainForm.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Zelquor"));
    QApplication::setApplicationName(QString::fromLatin1(zq::kProgramTitle));

    zq::TForm1 form;
    zq::TAboutBox about(&form);
    form.setAboutBox(&about);
    form.show();
    return app.exec();
}
