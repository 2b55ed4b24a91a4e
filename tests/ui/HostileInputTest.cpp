// The editor facing what it cannot trust, through the real window: snapshots
// whose tables hold what no release of the game holds, and files and folders
// that fail under the File menu. Malformed images are opened with Open1Click
// and every level is stepped through in every edit mode; the opens, saves and
// the screen import meet real failures where this machine can make them and
// injected ones where it cannot (root reads and writes whatever the
// permissions say). Whatever happens, the user sees one clear message, the
// game image and the level shown stay as they were, the old file on disk
// stays byte for byte and no temporary file is left behind.

#include "TestSupport.h"

#include "app/FileIO.h"
#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Snapshot.h"
#include "files/Tape.h"
#include "render/Palette.h"
#include "tools/Airflow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QScopeGuard>
#include <QSaveFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

using namespace zq;
using namespace zq::test;

// Runs a checking helper and leaves the test function when it failed.
#define CHECKED(call)                                                                                                  \
    do {                                                                                                               \
        call;                                                                                                          \
        if (QTest::currentTestFailed())                                                                                \
            return;                                                                                                    \
    } while (false)

namespace {

constexpr const char* kTitle = "Zelquor Editor V3";

GameImage defaultImage()
{
    GameImage image;
    if (!image.loadDefault())
        qFatal("no default image");
    return image;
}

QString absolute(const QString& name)
{
    return QFileInfo(name).absoluteFilePath();
}

// Every entry of a folder, hidden ones too, with its content.
QMap<QString, QByteArray> contents(const QString& folder)
{
    QMap<QString, QByteArray> all;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries)
        all.insert(info.fileName(), info.isDir() ? QByteArray("<folder>") : readFile(info.absoluteFilePath()));
    return all;
}

bool isRoot()
{
    return ::geteuid() == 0;
}

bool runQuietly(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A tmpfs of its own on a folder, for the failures only a file system gives:
// a full disk, or a folder that root may not write to either. Mounting needs
// privileges; without them mounted() is false.
class Tmpfs {
public:
    Tmpfs(const QString& folder, const QString& options)
        : folder_(folder)
    {
        QDir().mkpath(folder);
        mounted_ = isRoot() && runQuietly("mount", {"-t", "tmpfs", "-o", options, "tmpfs", folder});
    }
    ~Tmpfs()
    {
        if (mounted_)
            runQuietly("umount", {"-l", folder_});
    }
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool mounted() const { return mounted_; }
    bool makeReadOnly() const { return runQuietly("mount", {"-o", "remount,ro", folder_}); }

private:
    QString folder_;
    bool mounted_ = false;
};

// Installs file devices for the length of a scope.
class Devices {
public:
    explicit Devices(FileDevices devices)
        : previous_(setFileDevices(std::move(devices)))
    {
    }
    ~Devices() { setFileDevices(std::move(previous_)); }
    Devices(const Devices&) = delete;
    Devices& operator=(const Devices&) = delete;

private:
    FileDevices previous_;
};

// A file its user has no right to read.
class LockedFile : public QFile {
public:
    using QFile::QFile;
    bool open(OpenMode) override
    {
        setErrorString("Permission denied");
        return false;
    }
};

// A file cut short by someone else just after its size was taken.
class ShrinkingFile : public QFile {
public:
    ShrinkingFile(const QString& name, qint64 keep)
        : QFile(name)
        , keep_(keep)
    {
    }
    qint64 size() const override
    {
        const qint64 reported = QFile::size();
        QFile::resize(fileName(), keep_);
        return reported;
    }

private:
    qint64 keep_;
};

// A file that counts the bytes taken from it.
class CountingFile : public QFile {
public:
    CountingFile(const QString& name, qint64* taken)
        : QFile(name)
        , taken_(taken)
    {
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n = QFile::readData(data, maxSize);
        if (n > 0)
            *taken_ += n;
        return n;
    }

private:
    qint64* taken_;
};

// A save onto a disk with `room` bytes left: it writes what fits, then fails
// as a full disk does.
class FillingSaveFile : public QSaveFile {
public:
    FillingSaveFile(const QString& name, qint64 room)
        : QSaveFile(name)
        , room_(room)
    {
    }

protected:
    qint64 writeData(const char* data, qint64 size) override
    {
        if (room_ <= 0) {
            setErrorString("No space left on device");
            return -1;
        }
        const qint64 n = QSaveFile::writeData(data, std::min(size, room_));
        if (n > 0)
            room_ -= n;
        return n;
    }

private:
    qint64 room_;
};

struct SaveCommand {
    const char* what;
    void (TForm1::*handler)();
    const char* extension;
    qsizetype size;
};

const SaveCommand kSaves[] = {
    {"48K snapshot", &TForm1::SaveAs1Click, ".sna", qsizetype(kSnapshot48Size)},
    {"128K snapshot", &TForm1::S1Click, ".sna", qsizetype(kSnapshot128Size)},
    {"tape", &TForm1::Savetap1Click, ".tap", qsizetype(kTapeSize)},
};

// What the window holds that a failed file operation must leave alone.
struct Held {
    GameImage image;
    LoadingScreen screen;
    int level = 0;

    explicit Held(const Editor& e)
        : image(e.form->document().image())
        , screen(e.form->document().loadingScreen())
        , level(e.form->state().level.levelIndex)
    {
    }
};

void expectUnchanged(const Editor& e, const Held& held)
{
    QVERIFY(e.form->document().image() == held.image);
    QVERIFY(e.form->document().loadingScreen() == held.screen);
    QCOMPARE(e.form->state().level.levelIndex, held.level);
    QCOMPARE(e.upDown("UpDown1")->position(), held.level);
    QCOMPARE(e.labelOf("StaticText2")->text(), QStringLiteral("Level %1").arg(held.level + 1));
}

// The last thing shown was the general error display with this text.
void expectError(const Editor& e, const QString& text)
{
    QVERIFY(!e.dialogs->calls.isEmpty());
    QCOMPARE(e.dialogs->calls.last(), QStringLiteral("error: %1 | %2").arg(kTitle, text));
}

// ---------------------------------------------------------------------------
// Malformed images

// Records on every edge: column 31 row 22, column 30 row 31, column 31 row
// 31, an empty slot with kind and row bits, and records with bits 2-1 set.
const std::array<std::pair<std::uint8_t, std::uint8_t>, kEnemySlotCount> kEdgeRecords = {{
    {0xFF, 0xB7}, {0xF5, 0xFE}, {0xFF, 0xFF}, {0x07, 0xFF}, {0x52, 0x37}, {0x8B, 0x06}, {0x08, 0xF9},
}};

void putEdgeEnemies(GameImage& image)
{
    for (int level = 0; level < kLevelCount; ++level) {
        for (int slot = 0; slot < kEnemySlotCount; ++slot) {
            image.set(enemyRecordOffset(level, slot), kEdgeRecords[std::size_t(slot)].first);
            image.set(enemyRecordOffset(level, slot) + 1, kEdgeRecords[std::size_t(slot)].second);
        }
        image.set(enemyEntryOffset(level) + kEnemiesPatternByte, 0xFF);
        image.set(enemyEntryOffset(level) + kBurstTimeByte, 0xFF);
    }
}

// Every own record of the image, in address order.
std::vector<std::size_t> airflowRecords()
{
    std::vector<std::size_t> at;
    for (std::uint16_t a : kAirflowRecordAddresses)
        at.push_back(imageOffset(a));
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    return at;
}

void putBubbleTable(GameImage& image, std::initializer_list<std::size_t> zeros, std::uint8_t after)
{
    for (std::size_t i = 0; i < kBubbleTableSize; ++i)
        image.set(off::BubbleTable + i, std::uint8_t(i + 1));
    for (std::size_t z : zeros)
        image.set(off::BubbleTable + z, 0);
    image.set(off::BubbleTable + kBubbleTableSize, after);
}

// Title: a control byte, then a zero byte in the middle; Company: only zero
// bytes; Author: bytes 128..255, DEL, ESC, and control bytes at the end.
const std::vector<std::uint8_t> kTitleBytes = {'A', 0x07, 'B', 0x00, 'C', 'D', 0x81, 0xFF, 0x01, 0x02, 0x03, 0x04,
                                               0x05, 0x06, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x20, 0x1F};
const std::vector<std::uint8_t> kAuthorBytes = {0x80, 'x',  0xA9, 0xFF, 0x7F, 0x1B, 0xE9, 0x20, 0x90, 0x09,
                                                0x0A, 0x0D, 0x20, 0x00, 0x01, 0x1F, 0x20, 0x20, 0x10, 0x11};

void putHostileCredits(GameImage& image)
{
    for (std::size_t i = 0; i < kTitleBytes.size(); ++i)
        image.set(off::Title + i, kTitleBytes[i]);
    for (std::size_t i = 0; i < 21; ++i)
        image.set(off::Company + i, 0x00);
    for (std::size_t i = 0; i < kAuthorBytes.size(); ++i)
        image.set(off::Author + i, kAuthorBytes[i]);
}

// An image whose every byte comes from `next`, with the default image's
// signature so that the editor opens it.
GameImage wholeImage(std::function<std::uint8_t()> next)
{
    const GameImage reference = defaultImage();
    GameImage image;
    for (std::size_t i = 0; i < kImageSize; ++i)
        image.set(i, next());
    for (std::size_t i = 0; i < kSignatureSize; ++i)
        image.set(off::Signature + i, reference.get(off::Signature + i));
    return image;
}

// What every control shows on the level shown, against the bytes of the image.
void checkShownState(const Editor& e)
{
    const EditorState& s = e.form->state();
    const int level = s.level.levelIndex;
    QVERIFY(level >= 0 && level < kLevelCount);
    QCOMPARE(e.upDown("UpDown1")->position(), level);
    QCOMPARE(e.labelOf("StaticText2")->text(), QStringLiteral("Level %1").arg(level + 1));
    QVERIFY(s.level.record.offset + s.level.record.size() <= kImageSize);

    // The bubble type selects its item; a type that the table's shape puts
    // outside the five selects none. The list always offers the five.
    QComboBox* bubble = e.combo("ComboBox3");
    QCOMPARE(bubble->count(), 5);
    const BubbleState b = bubbleState(e.form->document().image(), level + 1);
    QCOMPARE(bubble->currentIndex(), b.type >= 0 && b.type <= kBubbleGroupCount ? b.type : -1);
    QCOMPARE(bubble->isEnabled(), b.spare != 0 || b.type != 0);

    // Slot up-downs show types 0..16; the pattern and burst captions give the
    // stored bytes, their up-downs the nearest position they have.
    const EnemySlotView enemySlots = decodeEnemies(e.form->document().image(), level);
    for (int i = 0; i < kEnemySlotCount; ++i) {
        const QByteArray name = "bad" + QByteArray::number(i + 1);
        const int shown = e.upDown(name.constData())->position();
        QCOMPARE(shown, int(enemySlots[std::size_t(i)].type));
        QVERIFY(shown >= 0 && shown <= kEmptyEnemyType);
    }
    const int pattern = enemiesPattern(e.form->document().image(), level);
    const int burst = burstTime(e.form->document().image(), level);
    QCOMPARE(e.labelOf("StaticText3")->text(), QStringLiteral("Enemies Pattern %1").arg(pattern + 1));
    QCOMPARE(e.upDown("UpDown2")->position(), std::min(pattern, 7));
    QCOMPARE(e.labelOf("StaticText4")->text(), QStringLiteral("Burst Time %1").arg(burst));
    QCOMPARE(e.upDown("UpDown3")->position(), burst);

    // Air flow: the area selector reaches every area of the record, the gap
    // selector shows sets above 11 at its last position.
    AirflowRecord rec;
    readAirflowRecord(e.form->document().image(), airflowRecordOffset(level), rec);
    QCOMPARE(e.upDown("AreaUD")->maximum(), rec.n);
    QVERIFY(e.upDown("AreaUD")->position() <= rec.n);
    QCOMPARE(e.labelOf("Label3")->text(), QStringLiteral("Area %1").arg(e.upDown("AreaUD")->position() + 1));
    QCOMPARE(e.upDown("GapUD")->position(), std::min(rec.gapSet, 11));
    QCOMPARE(e.labelOf("Label5")->text(), QStringLiteral("Gap Type %1").arg(std::min(rec.gapSet, 11) + 1));
    for (std::uint8_t cell : s.scene.flow.cells)
        QCOMPARE(cell & 0x1F, 0);

    QCOMPARE(s.levelPicture.Width(), kLevelPictureWidth);
    QCOMPARE(s.levelPicture.Height(), kLevelPictureHeight);
    QCOMPARE(e.image("LevDisp")->Bmp().Width(), 512);
    QCOMPARE(e.image("LevDisp")->Bmp().Height(), 384);
}

// Opens image bytes through File > Open and checks that they were taken.
void openImage(const Editor& e, const QString& path, const QByteArray& bytes)
{
    writeFile(path, bytes);
    e.dialogs->fileNames = {path};
    const qsizetype calls = e.dialogs->calls.size();
    e.form->Open1Click();
    QCOMPARE(e.dialogs->calls.size(), calls + 1); // the open dialog and nothing else
    QCOMPARE(e.upDown("UpDown1")->position(), 0);
}

// Steps through all 79 levels with the level up-down; on each it ticks the
// three edit modes in turn (and steps through every air-flow area while
// "Edit Airflow" is ticked), then goes back to block drawing.
void browseEveryLevelInEveryMode(const Editor& e)
{
    for (int level = 0; level < kLevelCount; ++level) {
        CHECKED(checkShownState(e));
        for (const char* mode : {"CheckBox2", "CheckBox3", "AirflowCheck1"}) {
            e.check(mode)->click();
            QVERIFY(e.check(mode)->isChecked());
            CHECKED(checkShownState(e));
        }
        UpDown* area = e.upDown("AreaUD");
        while (area->isEnabled() && area->position() < area->maximum()) {
            e.clickUp("AreaUD");
            CHECKED(checkShownState(e));
        }
        e.check("AirflowCheck1")->click();
        for (const char* mode : {"CheckBox2", "CheckBox3", "AirflowCheck1"})
            QVERIFY(!e.check(mode)->isChecked());
        CHECKED(checkShownState(e));
        e.clickUp("UpDown1");
    }
    QCOMPARE(e.upDown("UpDown1")->position(), 0);
}

// Each of the three saves into `folder`: a new file cannot be created there,
// and an old file there (when there is one) is not replaced. Nothing under
// `root` changes.
void expectSavesRefused(const QString& root, const QString& folder, const QString& reason)
{
    const QMap<QString, QByteArray> before = contents(root);
    const QMap<QString, QByteArray> beforeInside = contents(folder);
    for (const SaveCommand& save : kSaves) {
        for (const char* stem : {"/new", "/old"}) {
            const QString target = folder + stem + QString(save.extension);
            const bool exists = QFileInfo::exists(target);
            if (!exists && stem == QLatin1String("/old"))
                continue;
            Editor e;
            e.gotoLevel(5);
            const Held held(e);
            e.dialogs->fileNames = {target};
            e.dialogs->answers = {true};
            (e.form.get()->*save.handler)();
            const QString shown = e.dialogs->calls.last();
            if (exists) {
                QCOMPARE(shown, QString("error: Error Saving Binary | Could not overwrite your file."));
            } else {
                QVERIFY2(shown == QStringLiteral("error: %1 | Cannot create file \"%2\". %3")
                                      .arg(kTitle, absolute(target), reason),
                         qPrintable(shown));
            }
            CHECKED(expectUnchanged(e, held));
            QCOMPARE(contents(root), before);
            QCOMPARE(contents(folder), beforeInside);
        }
    }
}

} // namespace

class HostileInputTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init()
    {
        // Every test starts from the editor's own devices.
        setFileDevices({});
    }

    // -----------------------------------------------------------------------
    // Malformed images through the window

    void browsingAMalformedImageShowsInRangeStateAndWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("image");
        const auto row = [](const char* name, const std::function<void(GameImage&)>& patch) {
            GameImage image = defaultImage();
            patch(image);
            QTest::newRow(name) << imageBytes(image);
        };
        row("mirror bitmap of zeros: 79 full-width levels", [](GameImage& g) {
            for (std::size_t i = 0; i < kMirrorBitmapSize; ++i)
                g.set(off::MirrorBitmap + i, 0x00);
        });
        row("mirror bitmap of ones", [](GameImage& g) {
            for (std::size_t i = 0; i < kMirrorBitmapSize; ++i)
                g.set(off::MirrorBitmap + i, 0xFF);
        });
        row("air-flow records of all ones", [](GameImage& g) {
            const std::size_t end = airflowRecords().back() + airflowRecordLength(15);
            for (std::size_t i = off::AirflowRecords; i < end; ++i)
                g.set(i, 0xFF);
        });
        row("air-flow gap sets 13 to 15 and direction nibbles 12 to 15", [](GameImage& g) {
            int k = 0;
            for (std::size_t at : airflowRecords()) {
                const int n = g.get(at) & 15;
                g.set(at, std::uint8_t(((13 + k++ % 3) << 4) | n));
                for (int j = 0; j <= n / 2; ++j)
                    g.set(at + 1 + std::size_t(j), j % 2 ? 0xEF : 0xCD);
            }
        });
        row("air-flow areas wider and taller than the map", [](GameImage& g) {
            for (std::size_t at : airflowRecords()) {
                const int n = g.get(at) & 15;
                for (int j = 0; j <= n / 2; ++j)
                    g.set(at + 1 + std::size_t(j), 0xBA);
                for (int k = 0; k <= n; ++k) {
                    g.set(at + 2 + std::size_t(n / 2 + 2 * k), 0xFF);
                    g.set(at + 3 + std::size_t(n / 2 + 2 * k), 0xFF);
                }
            }
        });
        row("air-flow records of sixteen areas", [](GameImage& g) {
            for (std::size_t at : airflowRecords())
                g.set(at, std::uint8_t(g.get(at) | 0x0F));
        });
        row("bubble table without a zero byte", [](GameImage& g) { putBubbleTable(g, {}, 0x00); });
        row("bubble table with one zero byte", [](GameImage& g) { putBubbleTable(g, {20}, 0x01); });
        row("bubble table with two zero bytes", [](GameImage& g) { putBubbleTable(g, {5, 40}, 0x00); });
        row("bubble table with three zero bytes", [](GameImage& g) { putBubbleTable(g, {0, 1, 52}, 0x07); });
        row("bubble table of one level number", [](GameImage& g) {
            for (std::size_t i = 0; i <= kBubbleTableSize; ++i)
                g.set(off::BubbleTable + i, 7);
        });
        row("enemies on the edges with bits 2-1 set", putEdgeEnemies);
        row("item bytes of all ones on upper and lower levels", [](GameImage& g) {
            for (std::size_t i = 0; i < kItemTableSize; ++i)
                g.set(off::ItemTable + i, 0xFF);
            const std::uint8_t lower[] = {1, 2, 3, 4, 5, 20, 40, 60, 79, 0, 0xFF, 80, 200};
            for (std::size_t i = 0; i < kLowerItemCount; ++i)
                g.set(off::LowerItemList + i, lower[i]);
        });
        row("credit fields of zero, control and high bytes", putHostileCredits);
        QTest::newRow("every byte 0xFF") << imageBytes(wholeImage([] { return std::uint8_t(0xFF); }));
        QTest::newRow("every byte 0") << imageBytes(wholeImage([] { return std::uint8_t(0x00); }));
        std::mt19937 noise(5);
        QTest::newRow("noise") << imageBytes(wholeImage([&noise] { return std::uint8_t(noise()); }));
    }

    void browsingAMalformedImageShowsInRangeStateAndWritesNothing()
    {
        QFETCH(QByteArray, image);
        Editor e;
        CHECKED(openImage(e, path("malformed.sna"), image));
        const GameImage opened = e.form->document().image();
        CHECKED(browseEveryLevelInEveryMode(e));

        // Looking writes nothing, with one exception the window makes on
        // purpose: a level whose Big Border differs from the level before
        // stores its attribute again, with bit 6 (unused) as 0.
        const GameImage& after = e.form->document().image();
        for (std::size_t i = 0; i < kImageSize; ++i) {
            const bool attribute = i >= off::AttributeTable && i < off::AttributeTable + kAttributeCount;
            const std::uint8_t mask = attribute ? 0xBF : 0xFF;
            if ((after.get(i) & mask) != (opened.get(i) & mask))
                QFAIL(qPrintable(
                    QStringLiteral("byte %1 changed from %2 to %3").arg(i).arg(opened.get(i)).arg(after.get(i))));
        }
    }

    void gapSetsAboveTwelveShowAtTheLastPositionAndStayUntilChanged()
    {
        const int level = 2; // owns its record
        const std::size_t at = airflowRecordOffset(level);
        for (int set = 13; set <= 15; ++set) {
            Editor e;
            GameImage image = defaultImage();
            image.set(at, std::uint8_t((set << 4) | (image.get(at) & 15)));
            CHECKED(openImage(e, path("gaps.sna"), imageBytes(image)));
            e.gotoLevel(level);
            e.check("AirflowCheck1")->click();
            QVERIFY(e.upDown("GapUD")->isEnabled());
            QCOMPARE(e.upDown("GapUD")->position(), 11);
            QCOMPARE(e.labelOf("Label5")->text(), QString("Gap Type 12"));

            // Up from the last position is no step: the record keeps its set.
            const GameImage before = e.form->document().image();
            e.clickUp("GapUD");
            QVERIFY(e.form->document().image() == before);
            // A step down stores the selector's new position.
            e.clickDown("GapUD");
            QCOMPARE(e.byte(at), std::uint8_t(0xA0 | (before.get(at) & 15)));
            for (std::size_t i = 1; i < airflowRecordLength(before.get(at) & 15); ++i)
                QCOMPARE(e.byte(at + i), before.get(at + i));
            QCOMPARE(e.labelOf("Label5")->text(), QString("Gap Type 11"));
        }
    }

    void sixteenAreasAreReachedAndEditedInsideTheirRecord()
    {
        const int level = 2;
        const std::size_t at = airflowRecordOffset(level);
        const std::size_t length = airflowRecordLength(15);
        GameImage image = defaultImage();
        image.set(at, 0x4F);
        for (std::size_t i = 1; i < length; ++i)
            image.set(at + i, std::uint8_t(i * 37 + 11));
        Editor e;
        CHECKED(openImage(e, path("sixteen.sna"), imageBytes(image)));
        e.gotoLevel(level);
        e.check("AirflowCheck1")->click();
        QCOMPARE(e.upDown("AreaUD")->maximum(), 15);
        for (int i = 0; i < 20; ++i)
            e.clickUp("AreaUD");
        QCOMPARE(e.upDown("AreaUD")->position(), 15);
        QCOMPARE(e.labelOf("Label3")->text(), QString("Area 16"));

        const GameImage before = e.form->document().image();
        const auto onlyInsideTheRecord = [&](const GameImage& now) {
            for (std::size_t i = 0; i < kImageSize; ++i)
                if (now.get(i) != before.get(i) && (i < at || i >= at + length))
                    return false;
            return true;
        };
        e.clickUp("DirUD");
        QVERIFY(onlyInsideTheRecord(e.form->document().image()));
        // Area 15's direction lives in the low nibble of direction byte 8.
        QCOMPARE(e.byte(at + 8) & 0xF0, before.get(at + 8) & 0xF0);
        QCOMPARE(e.form->state().scene.airflow.direction[15], e.upDown("DirUD")->position());

        // Drawing area 16 with the mouse, out past the view's corner.
        e.form->LevDispMouseDown(100, 100);
        e.form->LevDispMouseMove(2000, 2000);
        e.form->LevDispMouseUp(2000, 2000);
        QVERIFY(onlyInsideTheRecord(e.form->document().image()));
        QCOMPARE(e.byte(at) & 15, 15);
    }

    void bubbleBoxShowsWhatMalformedTablesGive()
    {
        const auto oneNumber = [](GameImage& g) {
            for (std::size_t i = 0; i < kBubbleTableSize; ++i)
                g.set(off::BubbleTable + i, 7);
        };
        const auto noZero = [](GameImage& g) { putBubbleTable(g, {}, 0); };
        struct Case {
            const char* what;
            std::function<void(GameImage&)> table;
            int level;
            int index;
            bool enabled;
        };
        const Case cases[] = {
            // Found with no group end after it: no item, but it can be removed.
            {"no zero byte, listed level", noZero, 0, -1, true},
            // Not listed and no room: None, and nothing to offer.
            {"no zero byte, unlisted level", noZero, 60, 0, false},
            // Three group ends, all after level 3: it shows in the fourth group.
            {"three zero bytes", [](GameImage& g) { putBubbleTable(g, {0, 1, 52}, 0); }, 2, 4, true},
            {"one level number, that level", oneNumber, 6, -1, true},
            {"one level number, another level", oneNumber, 7, 0, false},
        };
        for (const Case& c : cases) {
            Editor e;
            GameImage image = defaultImage();
            c.table(image);
            CHECKED(openImage(e, path("bubbles.sna"), imageBytes(image)));
            e.gotoLevel(c.level);
            QVERIFY2(e.combo("ComboBox3")->currentIndex() == c.index, c.what);
            QVERIFY2(e.combo("ComboBox3")->isEnabled() == c.enabled, c.what);
        }
    }

    void bubbleChoicesOnMalformedTablesStayInTheTable()
    {
        const std::vector<std::function<void(GameImage&)>> tables = {
            [](GameImage& g) { putBubbleTable(g, {}, 0x00); },
            [](GameImage& g) { putBubbleTable(g, {20}, 0x00); },
            [](GameImage& g) { putBubbleTable(g, {5, 40}, 0x05); },
            [](GameImage& g) { putBubbleTable(g, {0, 1, 52}, 0x00); },
            [](GameImage& g) {
                for (std::size_t i = 0; i <= kBubbleTableSize; ++i)
                    g.set(off::BubbleTable + i, 7);
            },
        };
        for (std::size_t t = 0; t < tables.size(); ++t) {
            Editor e;
            GameImage image = defaultImage();
            tables[t](image);
            CHECKED(openImage(e, path("choices.sna"), imageBytes(image)));
            const GameImage opened = e.form->document().image();
            for (int level : {0, 2, 6, 19, 52, 78}) {
                e.gotoLevel(level);
                for (int choice : {2, 4, 0, 1, 3, 0}) {
                    if (!e.combo("ComboBox3")->isEnabled())
                        break;
                    e.choose("ComboBox3", choice);
                    CHECKED(checkShownState(e));
                    const GameImage& now = e.form->document().image();
                    for (std::size_t i = 0; i < kImageSize; ++i)
                        if (now.get(i) != opened.get(i)
                            && (i < off::BubbleTable || i >= off::BubbleTable + kBubbleTableSize))
                            QFAIL(qPrintable(QStringLiteral("table %1, level %2, choice %3: byte %4 changed")
                                                 .arg(t)
                                                 .arg(level + 1)
                                                 .arg(choice)
                                                 .arg(i)));
                }
            }
        }
    }

    void enemiesOnTheEdgesShowAndStepWithinTheirSlots()
    {
        GameImage image = defaultImage();
        putEdgeEnemies(image);
        Editor e;
        CHECKED(openImage(e, path("enemies.sna"), imageBytes(image)));
        e.check("CheckBox2")->click();

        // Slot 1 stands at column 31, row 22: its mark is cut at the corner.
        const EditorState& s = e.form->state();
        const std::uint32_t mark = kPalette[std::size_t(s.level.ink & 7)];
        int marked = 0;
        for (int y = 176; y < 192; ++y)
            for (int x = 248; x < 256; ++x) {
                const std::uint32_t p = s.levelPicture.PixelAt(x, y);
                QVERIFY(p == mark || p == kPalette[colour::Black]);
                marked += p == mark;
            }
        QVERIFY(marked > 0);

        const int types[] = {15, 10, 15, 16, 5, 6, 1};
        for (int slot = 0; slot < kEnemySlotCount; ++slot) {
            const QByteArray name = "bad" + QByteArray::number(slot + 1);
            QCOMPARE(e.upDown(name.constData())->position(), types[slot]);
        }
        QCOMPARE(e.labelOf("StaticText3")->text(), QString("Enemies Pattern 256"));
        QCOMPARE(e.upDown("UpDown2")->position(), 7);
        QCOMPARE(e.labelOf("StaticText4")->text(), QString("Burst Time 255"));

        // Every step of a slot's type writes that slot's two bytes only.
        for (int slot = 0; slot < kEnemySlotCount; ++slot) {
            const QByteArray name = "bad" + QByteArray::number(slot + 1);
            const std::size_t at = enemyRecordOffset(0, slot);
            for (bool up : {true, false, false}) {
                const GameImage before = e.form->document().image();
                up ? e.clickUp(name.constData()) : e.clickDown(name.constData());
                for (std::size_t i = 0; i < kImageSize; ++i)
                    if (e.form->document().image().get(i) != before.get(i) && i != at && i != at + 1)
                        QFAIL(qPrintable(QStringLiteral("slot %1: byte %2 changed").arg(slot + 1).arg(i)));
                CHECKED(checkShownState(e));
            }
        }
        // The pattern selector at its last position steps no further; down
        // stores the position below.
        const std::size_t patternByte = enemyEntryOffset(0) + kEnemiesPatternByte;
        e.clickUp("UpDown2");
        QCOMPARE(e.byte(patternByte), std::uint8_t(0xFF));
        e.clickDown("UpDown2");
        QCOMPARE(e.byte(patternByte), std::uint8_t(6));
    }

    void itemMarkersOfAllOnesAreClippedToThePicture()
    {
        GameImage image = defaultImage();
        for (std::size_t i = 0; i < kItemTableSize; ++i)
            image.set(off::ItemTable + i, 0xFF);
        for (std::size_t i = 0; i < kLowerItemCount; ++i)
            image.set(off::LowerItemList + i, std::uint8_t(i + 1)); // levels 1..13 in the lower part
        Editor e;
        CHECKED(openImage(e, path("items.sna"), imageBytes(image)));
        const auto picture = [&e] {
            std::vector<std::uint32_t> pixels;
            for (int y = 0; y < kLevelPictureHeight; ++y)
                for (int x = 0; x < kLevelPictureWidth; ++x)
                    pixels.push_back(e.form->state().levelPicture.PixelAt(x, y));
            return pixels;
        };
        for (int level : {0, 5, 12, 13, 30, 78}) {
            e.gotoLevel(level);
            const std::vector<std::uint32_t> plain = picture();
            e.check("CheckBox3")->click();
            const std::vector<std::uint32_t> marked = picture();
            e.check("CheckBox3")->click();
            // Horizontal position 15 puts both markers at x 120..135; the
            // vertical one puts them at y 120..135, or 248.. on a lower level,
            // which lies wholly below the picture.
            const bool lower = level < 13;
            for (int y = 0; y < kLevelPictureHeight; ++y)
                for (int x = 0; x < kLevelPictureWidth; ++x) {
                    const std::size_t i = std::size_t(y * kLevelPictureWidth + x);
                    const bool inSquare = !lower && x >= 120 && x < 136 && y >= 120 && y < 136;
                    if (!inSquare)
                        QVERIFY2(marked[i] == plain[i], qPrintable(QStringLiteral("level %1 pixel %2,%3")
                                                                       .arg(level + 1)
                                                                       .arg(x)
                                                                       .arg(y)));
                }
        }
    }

    void creditBoxesShowMalformedFieldsAndWriteBackByTheRules()
    {
        GameImage image = defaultImage();
        putHostileCredits(image);
        Editor e;
        CHECKED(openImage(e, path("credits.sna"), imageBytes(image)));
        const auto text = [](std::initializer_list<char32_t> codes) { return QString::fromStdU32String(codes); };
        QCOMPARE(e.edit("LabeledEdit1")->text(), text({'A', 0x07, 'B'}));
        QCOMPARE(e.edit("LabeledEdit3")->text(), QString());
        QCOMPARE(e.edit("LabeledEdit2")->text(), text({0x80, 'x', 0xA9, 0xFF, 0x7F, 0x1B, 0xE9, ' ', 0x90}));

        // The fill wrote each field back: the shown characters 32..127 are
        // stored, other shown ones keep their bytes, the rest are spaces.
        const auto field = [&e](std::size_t offset, std::size_t width) {
            std::vector<std::uint8_t> bytes;
            for (std::size_t i = 0; i < width; ++i)
                bytes.push_back(e.byte(offset + i));
            return bytes;
        };
        std::vector<std::uint8_t> title = {'A', 0x07, 'B'};
        title.resize(24, ' ');
        QVERIFY(field(off::Title, 24) == title);
        QVERIFY(field(off::Company, 21) == std::vector<std::uint8_t>(21, ' '));
        std::vector<std::uint8_t> author(kAuthorBytes.begin(), kAuthorBytes.begin() + 9);
        author.resize(20, ' ');
        QVERIFY(field(off::Author, 20) == author);
        // The bytes just after the fields are not theirs.
        for (std::size_t after : {off::Title + 24, off::Company + 21, off::Author + 20})
            QCOMPARE(e.byte(after), image.get(after));

        // Typing a character outside 32..127 keeps the byte under it.
        e.edit("LabeledEdit1")->setText(QString::fromStdU32String(U"Z\u00E9Q"));
        QCOMPARE(e.byte(off::Title), std::uint8_t('Z'));
        QCOMPARE(e.byte(off::Title + 1), std::uint8_t(0x07));
        QCOMPARE(e.byte(off::Title + 2), std::uint8_t('Q'));
        QCOMPARE(e.byte(off::Title + 24), image.get(off::Title + 24));
    }

    // -----------------------------------------------------------------------
    // Files and folders that fail

    void openAndImportReportWhatCannotBeOpened_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("a folder") << "It is not a regular file.";
        QTest::newRow("a named pipe") << "It is not a regular file.";
        QTest::newRow("a character device") << "It is not a regular file.";
        QTest::newRow("a path under a regular file") << "Not a directory";
        QTest::newRow("a missing file") << "No such file or directory";
        QTest::newRow("a symbolic link loop") << "Too many levels of symbolic links";
        QTest::newRow("a name too long") << "File name too long";
        QTest::newRow("an unreadable file") << "Permission denied";
    }

    void openAndImportReportWhatCannotBeOpened()
    {
        QFETCH(QString, reason);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        QTemporaryDir folder;
        QString name;
        if (tag == "a folder") {
            name = folder.filePath("folder.sna");
            QDir().mkpath(name);
        } else if (tag == "a named pipe") {
            name = folder.filePath("pipe.sna");
            QVERIFY(::mkfifo(QFile::encodeName(name).constData(), 0600) == 0);
        } else if (tag == "a character device") {
            name = "/dev/zero";
        } else if (tag == "a path under a regular file") {
            writeFile(folder.filePath("plain"), imageBytes(defaultImage()));
            name = folder.filePath("plain/game.sna");
        } else if (tag == "a missing file") {
            name = folder.filePath("missing.sna");
        } else if (tag == "a symbolic link loop") {
            name = folder.filePath("a.sna");
            QVERIFY(QFile::link(folder.filePath("b.sna"), name));
            QVERIFY(QFile::link(name, folder.filePath("b.sna")));
        } else if (tag == "a name too long") {
            name = folder.filePath(QString(300, QLatin1Char('x')) + ".sna");
        } else if (tag == "an unreadable file") {
            if (isRoot())
                QSKIP("root reads a file whatever its permissions; aFileNobodyMayReadIsReported covers it");
            name = folder.filePath("locked.sna");
            writeFile(name, imageBytes(defaultImage()));
            QVERIFY(QFile::setPermissions(name, QFileDevice::Permissions{}));
        }

        Editor e;
        e.gotoLevel(4);
        const Held held(e);
        const QString expected = QStringLiteral("Cannot open file \"%1\". %2").arg(absolute(name), reason);
        e.dialogs->fileNames = {name, name};
        e.form->Open1Click();
        CHECKED(expectError(e, expected));
        CHECKED(expectUnchanged(e, held));
        e.form->Importscr1Click();
        CHECKED(expectError(e, expected));
        CHECKED(expectUnchanged(e, held));
    }

    void aFileNobodyMayReadIsReported()
    {
        const QString name = path("locked.sna");
        writeFile(name, imageBytes(defaultImage()));
        const Devices locked({[](const QString& n) { return std::make_unique<LockedFile>(n); }, {}});
        Editor e;
        e.gotoLevel(7);
        const Held held(e);
        e.dialogs->fileNames = {name, name};
        e.form->Open1Click();
        CHECKED(expectError(e, QStringLiteral("Cannot open file \"%1\". Permission denied").arg(absolute(name))));
        e.form->Importscr1Click();
        CHECKED(expectError(e, QStringLiteral("Cannot open file \"%1\". Permission denied").arg(absolute(name))));
        CHECKED(expectUnchanged(e, held));
    }

    void aFileThatShrinksAfterItsSizeIsTakenIsNotLoaded()
    {
        // A snapshot of the game with every level changed, so that a partial
        // load would show.
        GameImage other = defaultImage();
        for (std::size_t i = off::LevelRecords; i < off::EnemyTable; ++i)
            other.set(i, 0x5A);
        const QByteArray screen(qsizetype(kScreenSize), char(0x3C));
        struct Case {
            void (TForm1::*handler)();
            QByteArray bytes;
            qint64 keep;
        };
        const Case cases[] = {
            {&TForm1::Open1Click, imageBytes(other), 30000},
            {&TForm1::Open1Click, imageBytes(other), 0},
            {&TForm1::Open1Click, imageBytes(other) + QByteArray(qsizetype(kSnapshot128Size - kImageSize), 0), 49179},
            {&TForm1::Importscr1Click, screen, 100},
        };
        for (const Case& c : cases) {
            const QString name = path("shrinking.bin");
            writeFile(name, c.bytes);
            const Devices shrinking(
                {[&c](const QString& n) { return std::make_unique<ShrinkingFile>(n, c.keep); }, {}});
            Editor e;
            e.gotoLevel(3);
            const Held held(e);
            e.dialogs->fileNames = {name};
            (e.form.get()->*c.handler)();
            CHECKED(expectError(e, QStringLiteral("Cannot read file \"%1\". The file ended after %2 of %3 bytes.")
                                       .arg(absolute(name))
                                       .arg(c.keep)
                                       .arg(c.bytes.size())));
            CHECKED(expectUnchanged(e, held));
        }
    }

    void aDeviceThatDeliversInPiecesIsReadWhole()
    {
        // A device may hand a file over in several reads; that is no failure.
        class Trickling : public QFile {
        public:
            using QFile::QFile;

        protected:
            qint64 readData(char* data, qint64 maxSize) override
            {
                return QFile::readData(data, std::min<qint64>(maxSize, 1000));
            }
        };
        const QString name = path("trickle.sna");
        GameImage other = defaultImage();
        other.set(off::LevelRecords, 0xA5);
        writeFile(name, imageBytes(other));
        Trickling file(name);
        const FileRead read = readWholeFile(file, [](std::uint64_t size) { return acceptedSnapshotSize(size); });
        QCOMPARE(read.status, FileRead::Ok);
        QCOMPARE(read.bytes, imageBytes(other));
    }

    void aHugeSparseFileIsRefusedBySizeWithoutBeingRead()
    {
        const QString name = path("huge.sna");
        writeFile(name, QByteArray());
        if (!QFile::resize(name, qint64(4) << 30))
            QSKIP("the temporary folder's file system cannot hold a 4 GiB sparse file");
        Editor e;
        e.gotoLevel(2);
        const Held held(e);
        // The real path: refused at once.
        QElapsedTimer timer;
        timer.start();
        e.dialogs->fileNames = {name, name};
        e.form->Open1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("message: File size incorrect"));
        e.form->Importscr1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("message: File size incorrect"));
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("took %1 ms").arg(timer.elapsed())));
        CHECKED(expectUnchanged(e, held));

        // And not a byte of it taken.
        qint64 taken = 0;
        {
            const Devices counting(
                {[&taken](const QString& n) { return std::make_unique<CountingFile>(n, &taken); }, {}});
            e.dialogs->fileNames = {name, name};
            e.form->Open1Click();
            e.form->Importscr1Click();
        }
        QCOMPARE(e.dialogs->calls.last(), QString("message: File size incorrect"));
        QCOMPARE(taken, qint64(0));
        CHECKED(expectUnchanged(e, held));
        QFile::remove(name);
    }

    void savesThatCannotCreateTheirFile_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder is a regular file") << "Not a directory";
        QTest::newRow("folder does not exist") << "No such file or directory";
        QTest::newRow("read-only folder") << "Permission denied";
    }

    void savesThatCannotCreateTheirFile()
    {
        QFETCH(QString, reason);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        QTemporaryDir root;
        QString folder;
        if (tag == "folder is a regular file") {
            folder = root.filePath("plain");
            writeFile(folder, "not a folder");
        } else if (tag == "folder does not exist") {
            folder = root.filePath("gone/away");
        } else {
            if (isRoot())
                QSKIP("root writes into a folder whatever its permissions; aReadOnlyMountRefusesTheSaves covers it");
            folder = root.filePath("locked");
            QDir().mkpath(folder);
            for (const SaveCommand& save : kSaves)
                writeFile(folder + "/old" + QString(save.extension), "old bytes");
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        // Writable again afterwards, so that the folder can be removed.
        const auto unlock = qScopeGuard([&folder] {
            if (QFileInfo(folder).isDir())
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        });
        CHECKED(expectSavesRefused(root.path(), folder, reason));
    }

    void aReadOnlyMountRefusesTheSaves()
    {
        const QString folder = path("readonly");
        const Tmpfs mount(folder, "size=1m");
        if (!mount.mounted())
            QSKIP("mounting a tmpfs needs privileges this run does not have");
        for (const SaveCommand& save : kSaves)
            writeFile(folder + "/old" + QString(save.extension), QByteArray("old ") + save.what);
        QVERIFY(mount.makeReadOnly());
        CHECKED(expectSavesRefused(folder, folder, "Read-only file system"));
    }

    void aFullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("oldAsLargeAsNew");
        // No room at all for the new file.
        QTest::newRow("old file as large as the new one") << true;
        // Room for all but the last few KiB: a piece small enough to wait in
        // a write buffer, so the disk fills only when the file is closed.
        QTest::newRow("room for all but a few KiB") << false;
    }

    void aFullDiskKeepsTheOldFile()
    {
        QFETCH(bool, oldAsLargeAsNew);
        for (const SaveCommand& save : kSaves) {
            // A disk of just enough pages for the new file alone.
            const qsizetype pages = (save.size + 4095) / 4096;
            const QString folder = path(QStringLiteral("full-%1").arg(save.what).replace(' ', '-'));
            const Tmpfs mount(folder, QStringLiteral("size=%1k").arg(4 * pages));
            if (!mount.mounted())
                QSKIP("mounting a tmpfs needs privileges this run does not have; "
                      "aWriterThatFailsPartWayKeepsTheOldFile covers the failure");
            const QString target = folder + "/old" + QString(save.extension);
            QByteArray old(oldAsLargeAsNew ? save.size : 1000, 0);
            for (qsizetype i = 0; i < old.size(); ++i)
                old[i] = char(i * 13);
            writeFile(target, old);
            const QMap<QString, QByteArray> before = contents(folder);

            Editor e;
            e.gotoLevel(9);
            const Held held(e);
            e.dialogs->fileNames = {target};
            e.dialogs->answers = {true};
            (e.form.get()->*save.handler)();
            CHECKED(expectError(
                e, QStringLiteral("Cannot write file \"%1\". No space left on device").arg(absolute(target))));
            CHECKED(expectUnchanged(e, held));
            QCOMPARE(readFile(target), old);
            QCOMPARE(contents(folder), before);
        }
    }

    void aWriterThatFailsPartWayKeepsTheOldFile_data()
    {
        QTest::addColumn<qint64>("room");
        QTest::newRow("full from the start") << qint64(0);
        QTest::newRow("full after 1000 bytes") << qint64(1000);
        QTest::newRow("full one byte short") << qint64(-1);
    }

    void aWriterThatFailsPartWayKeepsTheOldFile()
    {
        QFETCH(qint64, room);
        for (const SaveCommand& save : kSaves) {
            QTemporaryDir folder;
            const QString target = folder.filePath(QStringLiteral("old%1").arg(save.extension));
            writeFile(target, "the old file");
            const QMap<QString, QByteArray> before = contents(folder.path());
            const qint64 fits = room < 0 ? save.size + room : room;
            const Devices filling(
                {{}, [fits](const QString& n) { return std::make_unique<FillingSaveFile>(n, fits); }});

            Editor e;
            e.gotoLevel(11);
            const Held held(e);
            e.dialogs->fileNames = {target};
            e.dialogs->answers = {true};
            (e.form.get()->*save.handler)();
            CHECKED(expectError(
                e, QStringLiteral("Cannot write file \"%1\". No space left on device").arg(absolute(target))));
            CHECKED(expectUnchanged(e, held));
            QCOMPARE(contents(folder.path()), before);
        }
    }

    void aFolderInTheTargetsPlaceIsNotReplaced()
    {
        for (const SaveCommand& save : kSaves) {
            QTemporaryDir folder;
            const QString target = folder.filePath(QStringLiteral("taken%1").arg(save.extension));
            QDir().mkpath(target);
            writeFile(target + "/inside", "kept");
            const QMap<QString, QByteArray> before = contents(folder.path());
            Editor e;
            const Held held(e);
            e.dialogs->fileNames = {target};
            e.dialogs->answers = {true};
            (e.form.get()->*save.handler)();
            QCOMPARE(e.dialogs->calls.last(), QString("error: Error Saving Binary | Could not overwrite your file."));
            CHECKED(expectUnchanged(e, held));
            QCOMPARE(contents(folder.path()), before);
            QCOMPARE(readFile(target + "/inside"), QByteArray("kept"));
        }
    }
};

QTEST_MAIN(HostileInputTest)
#include "HostileInputTest.moc"
