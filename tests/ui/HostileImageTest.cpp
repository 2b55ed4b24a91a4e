// The editor facing snapshots whose tables hold what no release of the game
// holds, through the real window: malformed images are opened with
// Open1Click and every level is stepped through in every edit mode. The
// window shows only in-range state, and browsing writes nothing.

#include "HostileImages.h"
#include "render/Palette.h"

#include "app/FileIO.h"

#include <QTemporaryDir>

#include <random>

using namespace zq;
using namespace zq::test;

class HostileImageTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void init()
    {
        // Every test starts from the editor's own devices.
        setFileDevices({});
    }

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

    void gapSetsAboveTwelveShowAtTheLastPositionAndStayUntilClicked()
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

            // A click up at the last position stores that position.
            const GameImage before = e.form->document().image();
            e.clickUp("GapUD");
            QCOMPARE(e.byte(at), std::uint8_t(0xB0 | (before.get(at) & 15)));
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
        // The pattern selector at its last position stores that position;
        // down stores the position below.
        const std::size_t patternByte = enemyEntryOffset(0) + kEnemiesPatternByte;
        e.clickUp("UpDown2");
        QCOMPARE(e.byte(patternByte), std::uint8_t(7));
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
        const auto picture = [&e] { return pixelsOf(e.form->state().levelPicture); };
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
                    // In the square the two markers interleave: the white
                    // one where both offsets have the same parity, the
                    // mirrored cyan one elsewhere.
                    const std::uint32_t expected =
                        !inSquare ? plain[i]
                                  : (x - 120) % 2 == (y - 120) % 2 ? kPalette[colour::BrightWhite] : kPalette[colour::Cyan];
                    QVERIFY2(marked[i] == expected,
                             qPrintable(QStringLiteral("level %1 pixel %2,%3").arg(level + 1).arg(x).arg(y)));
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
};

QTEST_MAIN(HostileImageTest)
#include "HostileImageTest.moc"
