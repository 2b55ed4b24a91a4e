#pragma once
// The one font of the main window and the About box: the desktop's default
// family at 8 point, the size the fixed layout was made for; points scale
// with the screen's DPI.

#include <QApplication>
#include <QFont>

namespace zq {

inline QFont editorFont()
{
    QFont f = QApplication::font();
    f.setPointSize(8);
    return f;
}

} // namespace zq
