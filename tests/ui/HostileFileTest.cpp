// The editor facing files and folders that fail under the File menu,
// through the real window: the opens, saves and the screen import meet real
// failures where this machine can make them and injected ones where it
// cannot (root reads and writes whatever the permissions say). Whatever
// happens, the user sees one clear message, the game image and the level
// shown stay as they were, the old file on disk stays byte for byte and no
// temporary file is left behind.

#include "HostileFiles.h"

#include <QTemporaryDir>

using namespace zq;
using namespace zq::test;

class HostileFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init()
    {
        // Every test starts from the editor's own devices.
        setFileDevices({});
    }

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
        std::optional<Devices> reading;
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
            name = folder.filePath("locked.sna");
            writeFile(name, imageBytes(defaultImage()));
            QVERIFY(QFile::setPermissions(name, QFileDevice::Permissions{}));
            // Root reads whatever the permissions say: the device refuses it.
            if (isRoot())
                reading.emplace(FileDevices{[](const QString& n) { return std::make_unique<LockedFile>(n); }, {}});
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
        // The real path: refused by its size.
        e.dialogs->fileNames = {name, name};
        e.form->Open1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("message: File size incorrect"));
        e.form->Importscr1Click();
        QCOMPARE(e.dialogs->calls.last(), QString("message: File size incorrect"));
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
        std::optional<ReadOnlyFolder> readOnly;
        if (tag == "folder is a regular file") {
            folder = root.filePath("plain");
            writeFile(folder, "not a folder");
        } else if (tag == "folder does not exist") {
            folder = root.filePath("gone/away");
        } else {
            folder = root.filePath("locked");
            readOnly.emplace(folder);
            reason = readOnly->reason;
        }
        CHECKED(expectSavesRefused(root.path(), folder, reason, !readOnly || readOnly->checkedBeforeWriting));
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
            const Tmpfs mount(folder.toStdString(), "size=" + std::to_string(4 * pages) + "k");
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

QTEST_MAIN(HostileFileTest)
#include "HostileFileTest.moc"
