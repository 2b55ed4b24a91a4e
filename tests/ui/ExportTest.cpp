// Level pictures from the window: Export All writes the 79 levels, Export
// Level Picture the shown level with the ticked mode's overlay at 1x or 2x;
// each file decoded is the renderer's picture pixel for pixel. A write that
// fails is said and stops the export.

#include "TestSupport.h"
#include "HostileFiles.h"

#include "render/LevelScene.h"
#include "tests/cli/PngReader.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

namespace {

// The file as pixels, and the renderer's picture of the same level: the
// number of pixels that differ, or -1 when the file is no PNG of that size.
int differingPixels(const QString& file, const GameImage& image, int level, EditMode mode, int scale, int area = 0)
{
    const QByteArray bytes = readFile(file);
    PngPicture png;
    if (readPng(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), png) != "")
        return -1;
    TFastDIB expected;
    if (!drawLevelPicture(image, level, mode, scale, expected, area) || png.width != expected.Width() ||
        png.height != expected.Height())
        return -1;
    int differing = 0;
    for (int y = 0; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x)
            differing += png.at(x, y) != expected.PixelAt(x, y);
    return differing;
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void exportAllWritesEveryLevelAsTheRendererDrawsIt()
    {
        Editor e;
        e.choose("ComboBox1", (e.combo("ComboBox1")->currentIndex() + 1) % 6); // level 1's ink
        const GameImage edited = e.form->document().image();
        QVERIFY(QDir().mkpath(path("levels")));

        e.dialogs->fileNames = {path("levels")};
        e.form->ExportAll1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("folder: Export All Levels | ."));
        const QStringList written = QDir(path("levels")).entryList({"*.png"}, QDir::Files, QDir::Name);
        QCOMPARE(written.size(), kLevelCount);
        for (int level = 0; level < kLevelCount; ++level) {
            const QString name = QString("level%1.png").arg(level + 1, 2, 10, QLatin1Char('0'));
            QVERIFY2(differingPixels(path("levels/" + name), edited, level, EditMode::Blocks, 2) == 0,
                     qPrintable(name));
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
        const GameImage& image = e.form->document().image();
        e.gotoLevel(6);
        e.check("CheckBox2")->click(); // enemies
        e.dialogs->fileNames = {path("small")};
        e.dialogs->filters = {"PNG Picture, at the Spectrum's size (*.png)"};
        e.form->ExportPicture1Click();
        QCOMPARE(differingPixels(path("small.png"), image, 6, EditMode::Enemies, 1), 0);
        e.dialogs->fileNames = {path("big.png")};
        e.form->ExportPicture1Click();
        QCOMPARE(differingPixels(path("big.png"), image, 6, EditMode::Enemies, 2), 0);

        // In air-flow mode the area shown is highlighted: the third one.
        int level = -1;
        for (int i = 0; i < kLevelCount && level < 0; ++i) {
            AirflowRecord rec;
            readAirflowRecord(image, airflowRecordOffset(i), rec);
            if (rec.n >= 2 && !isSharedAirflowLevel(i + 1))
                level = i;
        }
        QVERIFY(level >= 0);
        e.gotoLevel(level);
        e.check("AirflowCheck1")->click();
        e.clickUp("AreaUD");
        e.clickUp("AreaUD");
        e.dialogs->fileNames = {path("air.png")};
        e.form->ExportPicture1Click();
        QCOMPARE(differingPixels(path("air.png"), image, level, EditMode::Airflow, 2, 2), 0);
        QVERIFY(differingPixels(path("air.png"), image, level, EditMode::Airflow, 2, 0) > 0);
    }

    void aFailedWriteIsSaidAndEndsTheExport()
    {
        Editor e;
        QVERIFY(QDir().mkpath(path("full")));
        int saves = 0;
        Devices full({{}, [&saves](const QString& name) {
                          ++saves;
                          return std::make_unique<FillingSaveFile>(name, 100);
                      }});
        e.dialogs->fileNames = {path("full/one.png")};
        e.form->ExportPicture1Click();
        QVERIFY(e.dialogs->calls.last().startsWith("error: "));
        QVERIFY(!QFile::exists(path("full/one.png")));

        e.dialogs->fileNames = {path("full")};
        saves = 0;
        e.form->ExportAll1Click();
        QVERIFY(e.dialogs->calls.last().startsWith("error: "));
        QCOMPARE(e.dialogs->calls.filter("error: ").size(), 2);
        QCOMPARE(saves, 1);
        QVERIFY(QDir(path("full")).entryList(QDir::Files).isEmpty());
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
