#pragma once
// The malformed images of the hostile-input tests: tables patched with what
// no release of the game holds, and the checks that the window shows only
// in-range state for them.

#include "HostileSupport.h"

#include "tests/EdgeEnemies.h"

#include "entities/Bubbles.h"
#include "entities/Enemies.h"
#include "entities/Items.h"
#include "files/Snapshot.h"
#include "render/Palette.h"
#include "tools/Airflow.h"

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace zq::test {

// Every own record of the image, in address order.
inline std::vector<std::size_t> airflowRecords()
{
    std::vector<std::size_t> at;
    for (std::uint16_t a : kAirflowRecordAddresses)
        at.push_back(imageOffset(a));
    std::sort(at.begin(), at.end());
    at.erase(std::unique(at.begin(), at.end()), at.end());
    return at;
}

inline void putBubbleTable(GameImage& image, std::initializer_list<std::size_t> zeros, std::uint8_t after)
{
    for (std::size_t i = 0; i < kBubbleTableSize; ++i)
        image.set(off::BubbleTable + i, std::uint8_t(i + 1));
    for (std::size_t z : zeros)
        image.set(off::BubbleTable + z, 0);
    image.set(off::BubbleTable + kBubbleTableSize, after);
}

// Title: a control byte, then a zero byte in the middle; Company: only zero
// bytes; Author: bytes 128..255, DEL, ESC, and control bytes at the end.
inline const std::vector<std::uint8_t> kTitleBytes = {'A', 0x07, 'B', 0x00, 'C', 'D', 0x81, 0xFF, 0x01, 0x02, 0x03, 0x04,
                                               0x05, 0x06, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x20, 0x1F};
inline const std::vector<std::uint8_t> kAuthorBytes = {0x80, 'x',  0xA9, 0xFF, 0x7F, 0x1B, 0xE9, 0x20, 0x90, 0x09,
                                                0x0A, 0x0D, 0x20, 0x00, 0x01, 0x1F, 0x20, 0x20, 0x10, 0x11};

inline void putHostileCredits(GameImage& image)
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
inline GameImage wholeImage(std::function<std::uint8_t()> next)
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
inline void checkShownState(const Editor& e)
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
inline void openImage(const Editor& e, const QString& path, const QByteArray& bytes)
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
inline void browseEveryLevelInEveryMode(const Editor& e)
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

} // namespace zq::test
