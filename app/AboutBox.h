#pragma once
// TAboutBox: a small modeless window with the About picture and the credits.
// Created hidden; "&About..." shows it, OK hides it. It has no close box.

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace zq {

class TFastIMG;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner = nullptr);

    // Makes the box visible, centred over the given window the first time
    // it is shown after being hidden. Showing it again only keeps it shown.
    void showOver(QWidget* window);

    void OKButtonClick() { hide(); }

private:
    void FormCreate();

    TFastIMG* FastIMG1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* OKButton = nullptr;
};

} // namespace zq
