// Level pictures from the window: Export All writes the 79 files that
// zelquor-cli render writes for the same image, and Export Level Picture
// writes the shown level with the ticked mode's overlay at 1x or 2x.

#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

namespace {

QByteArray cliRender(const QString& snapshot, int level, const QStringList& options, const QString& out)
{
    QProcess p;
    p.start(QString::fromLatin1(ZELQUOR_CLI),
            QStringList{"render", snapshot, "--level", QString::number(level), "-o", out} + options);
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return {};
    return readFile(out);
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void exportAllWritesTheCliRenders()
    {
        Editor e;
        e.choose("ComboBox1", (e.combo("ComboBox1")->currentIndex() + 1) % 6); // level 1's ink
        e.dialogs->fileNames = {path("edited.sna")};
        e.form->SaveAs1Click();
        QVERIFY(QDir().mkpath(path("levels")));

        e.dialogs->fileNames = {path("levels")};
        e.form->ExportAll1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("folder: Export All Levels | ."));
        const QStringList written = QDir(path("levels")).entryList({"*.png"}, QDir::Files, QDir::Name);
        QCOMPARE(written.size(), kLevelCount);
        for (int level = 1; level <= kLevelCount; ++level) {
            const QString name = QString("level%1.png").arg(level, 2, 10, QLatin1Char('0'));
            const QByteArray cli = cliRender(path("edited.sna"), level, {"--scale", "2"}, path("cli.png"));
            QVERIFY2(!cli.isEmpty(), qPrintable(name));
            QVERIFY2(readFile(path("levels/" + name)) == cli, qPrintable(name));
        }

        // A second export asks once before it overwrites; No writes nothing.
        QFile::remove(path("levels/level05.png"));
        e.dialogs->fileNames = {path("levels")};
        e.dialogs->answers = {false};
        e.form->ExportAll1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("question: Overwrite? | File already exists. Overwrite?"));
        QVERIFY(!QFile::exists(path("levels/level05.png")));
    }

    void exportPictureHasTheOverlayAndTheScale()
    {
        Editor e;
        e.gotoLevel(6);
        e.check("CheckBox2")->click(); // enemies
        e.dialogs->fileNames = {path("small")};
        e.dialogs->filters = {"PNG Picture, at the Spectrum's size (*.png)"};
        e.form->ExportPicture1Click();
        QCOMPARE(readFile(path("small.png")),
                 cliRender(QString::fromLatin1(ZELQUOR_SAMPLE_SNAPSHOT), 7, {"--enemies"}, path("cli.png")));
        e.dialogs->fileNames = {path("big.png")};
        e.form->ExportPicture1Click();
        QCOMPARE(readFile(path("big.png")), cliRender(QString::fromLatin1(ZELQUOR_SAMPLE_SNAPSHOT), 7,
                                                      {"--enemies", "--scale", "2"}, path("cli.png")));
    }

    void fileMenuAccessKeysAreUnique()
    {
        Editor e;
        QMenu* file = e.form->menuBar()->actions().first()->menu();
        QSet<QChar> keys;
        for (const QAction* a : file->actions()) {
            const QRegularExpressionMatch m = QRegularExpression("&(.)").match(a->text());
            if (a->isSeparator() || !m.hasMatch())
                continue;
            const QChar key = m.captured(1).at(0).toLower();
            QVERIFY2(!keys.contains(key), qPrintable(a->text()));
            keys.insert(key);
        }
    }
};

QTEST_MAIN(ExportTest)
#include "ExportTest.moc"
