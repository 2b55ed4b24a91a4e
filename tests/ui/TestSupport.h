#pragma once
// Helpers for driving the real editor window in QtTest: controls are found
// by object name, up-downs are clicked through their arrow buttons, and the
// dialogs are answered by a script instead of a screen.

#include "app/Dialogs.h"
#include "app/MainForm.h"
#include "app/UpDown.h"
#include "gfx/FastIMG.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>
#include <QWindow>
#include <QToolButton>

#include <deque>
#include <memory>
#include <vector>

namespace zq::test {

// Whole-file helpers for tests that write and read real files.
inline QByteArray readFile(const QString& name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write the test file %s", qPrintable(name));
}

inline QByteArray imageBytes(const GameImage& image)
{
    return QByteArray(reinterpret_cast<const char*>(image.bytes().data()), qsizetype(image.bytes().size()));
}

// A picture's pixels row by row from the top, to compare two states of it.
inline std::vector<std::uint32_t> pixelsOf(const TFastDIB& picture)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            pixels.push_back(picture.PixelAt(x, y));
    return pixels;
}

// Scripted answers; every call is recorded as "kind: text".
class ScriptedDialogs : public Dialogs {
public:
    std::deque<QString> fileNames;
    std::deque<bool> answers;
    std::deque<QString> filters; // the filter each save dialog chooses
    int cancelAfter = -1;        // progress: Cancel after this many slices
    QStringList calls;

    QString openFileName(const QString& title, const QString& filter, const QString& directory) override
    {
        calls << "open: " + title + " | " + filter + " | " + directory;
        return next();
    }
    QString saveFileName(const QString& title, const QString& filter, const QString& directory,
                         QString* selectedFilter = nullptr) override
    {
        calls << "save: " + title + " | " + filter + " | " + directory;
        if (selectedFilter && !filters.empty()) {
            *selectedFilter = filters.front();
            filters.pop_front();
        }
        return next();
    }
    bool progress(const QString& title, const QString& label, const std::function<bool(double&)>& step) override
    {
        calls << "progress: " + title + " | " + label;
        double done = 0;
        for (int slices = 0; step(done); ++slices)
            if (cancelAfter >= 0 && slices >= cancelAfter)
                return false;
        return true;
    }
    QString folderName(const QString& title, const QString& directory) override
    {
        calls << "folder: " + title + " | " + directory;
        return next();
    }
    void message(const QString& text) override { calls << "message: " + text; }
    bool question(const QString& caption, const QString& text) override
    {
        calls << "question: " + caption + " | " + text;
        return nextAnswer();
    }
    void error(const QString& caption, const QString& text) override { calls << "error: " + caption + " | " + text; }
    bool ask(const QString& text) override
    {
        calls << "ask: " + text;
        return nextAnswer();
    }
    std::deque<int> numbers; // what number() answers; none left is Cancel
    std::optional<int> number(const QString& title, const QString& label, int value, int minimum,
                              int maximum) override
    {
        calls << QStringLiteral("number: %1 | %2 | %3 in %4..%5").arg(title, label).arg(value).arg(minimum).arg(maximum);
        if (numbers.empty())
            return std::nullopt;
        const int n = numbers.front();
        numbers.pop_front();
        return n;
    }

private:
    bool nextAnswer()
    {
        if (answers.empty())
            return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    QString next()
    {
        if (fileNames.empty())
            return {};
        QString n = fileNames.front();
        fileNames.pop_front();
        return n;
    }
};

// A main window with scripted dialogs.
struct Editor {
    ScriptedDialogs* dialogs;
    std::unique_ptr<TForm1> form;

    Editor()
    {
        // Settings (ROM, default game) go to a test location, never the user's.
        QStandardPaths::setTestModeEnabled(true);
        auto d = std::make_unique<ScriptedDialogs>();
        dialogs = d.get();
        form = std::make_unique<TForm1>(std::move(d));
    }

    template <typename T>
    T* get(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control named %s", name);
        return w;
    }

    UpDown* upDown(const char* name) const { return get<UpDown>(name); }
    QCheckBox* check(const char* name) const { return get<QCheckBox>(name); }
    QComboBox* combo(const char* name) const { return get<QComboBox>(name); }
    QLabel* labelOf(const char* name) const { return get<QLabel>(name); }
    QLineEdit* edit(const char* name) const { return get<QLineEdit>(name); }
    TFastIMG* image(const char* name) const { return get<TFastIMG>(name); }

    void clickUp(const char* name) const { QTest::mouseClick(upDown(name)->upButton(), Qt::LeftButton); }
    void clickDown(const char* name) const { QTest::mouseClick(upDown(name)->downButton(), Qt::LeftButton); }

    // Steps the level up-down until the given level index is shown.
    void gotoLevel(int index) const
    {
        while (upDown("UpDown1")->position() != index)
            clickUp("UpDown1");
    }

    // Chooses an item of a drop-down as a user would.
    void choose(const char* name, int index) const
    {
        QComboBox* box = combo(name);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    std::uint8_t byte(std::size_t offset) const { return form->document().image().get(offset); }

    // The title as the desktop shows it (the modified mark in its place).
    QString shownTitle() const
    {
        form->winId();
        return form->windowHandle()->title();
    }

    // Changes the image behind the window's back, as one edit step.
    template <typename F>
    void edit(F&& change) const
    {
        EditStep step(form->document(), QStringLiteral("Test"));
        change(step.image());
    }
    void poke(std::size_t offset, std::uint8_t value) const
    {
        edit([&](GameImage& image) { image.set(offset, value); });
    }

    // Shows the window so that the mouse can be driven through it.
    void show() const
    {
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("the window was not exposed");
    }

    // Mouse events through the window, as the platform delivers them: a
    // control keeps the mouse while a button is held, also outside it.
    QPoint inWindow(QWidget* w, QPoint p) const { return w->mapTo(form.get(), p); }
    void press(QWidget* w, QPoint p) const
    {
        QTest::mousePress(form->windowHandle(), Qt::LeftButton, {}, inWindow(w, p));
    }
    void move(QWidget* w, QPoint p) const { QTest::mouseMove(form->windowHandle(), inWindow(w, p)); }
    void release(QWidget* w, QPoint p) const
    {
        QTest::mouseRelease(form->windowHandle(), Qt::LeftButton, {}, inWindow(w, p));
    }
    // Press at the first point, move through the others, release at the last.
    void drag(QWidget* w, std::initializer_list<QPoint> points) const
    {
        const QPoint* p = points.begin();
        press(w, *p);
        for (++p; p != points.end(); ++p)
            move(w, *p);
        release(w, *(points.end() - 1));
    }
};

} // namespace zq::test
