#pragma once
// The file dialogs and message boxes the editor shows, behind one small
// interface, so that tests can answer them without a screen.

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace zq {

// The program title: the main window's caption and that of plain messages.
inline constexpr const char* kProgramTitle = "Zelquor Editor V3";

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Common open and save dialogs. An empty result means cancelled.
    virtual QString openFileName(const QString& title, const QString& filter, const QString& directory) = 0;
    // `selectedFilter`, when given, receives the filter the user chose.
    virtual QString saveFileName(const QString& title, const QString& filter, const QString& directory,
                                 QString* selectedFilter = nullptr) = 0;

    // A folder to write into; empty when cancelled.
    virtual QString folderName(const QString& title, const QString& directory) = 0;

    // A plain message with an OK button, captioned with the program title.
    virtual void message(const QString& text) = 0;
    // An OK/Cancel question; true for OK.
    virtual bool question(const QString& caption, const QString& text) = 0;
    // An error message with an OK button.
    virtual void error(const QString& caption, const QString& text) = 0;
    // A Yes/No question captioned with the program title, Yes the default
    // button; true for Yes.
    virtual bool ask(const QString& text) = 0;
    // A whole number in [minimum, maximum], starting at `value`; nothing
    // when cancelled.
    virtual std::optional<int> number(const QString& title, const QString& label, int value, int minimum,
                                      int maximum) = 0;
    // Runs `step` until it returns false, showing the fraction done that it
    // sets (0..1) with a Cancel button once the work has taken half a second
    // (a quicker one shows nothing). False when the user cancelled.
    virtual bool progress(const QString& title, const QString& label, const std::function<bool(double&)>& step) = 0;
};

// The real dialogs, owned by the given window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner)
        : owner_(owner)
    {
    }

    QString openFileName(const QString& title, const QString& filter, const QString& directory) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& directory,
                         QString* selectedFilter = nullptr) override;
    QString folderName(const QString& title, const QString& directory) override;
    void message(const QString& text) override;
    bool question(const QString& caption, const QString& text) override;
    void error(const QString& caption, const QString& text) override;
    bool ask(const QString& text) override;
    std::optional<int> number(const QString& title, const QString& label, int value, int minimum,
                              int maximum) override;
    bool progress(const QString& title, const QString& label, const std::function<bool(double&)>& step) override;

private:
    QWidget* owner_;
};

} // namespace zq
