#include "app/DefaultGame.h"

#include "app/FileIO.h"

#include <QByteArray>
#include <QSettings>

namespace zq {

namespace {
const char* const kDefaultGameSetting = "game/defaultImage";
} // namespace

DefaultGame::DefaultGame()
{
    image_.loadDefault();
}

void DefaultGame::load()
{
    const QByteArray image = QSettings().value(kDefaultGameSetting).toByteArray();
    if (image.size() == qsizetype(kImageSize)) {
        image_.assign(byteSpan(image));
        users_ = true;
    } else {
        image_.loadDefault();
        users_ = false;
    }
}

bool DefaultGame::use(std::span<const std::uint8_t> image)
{
    if (image.size() != kImageSize)
        return false;
    QSettings().setValue(kDefaultGameSetting,
                         QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
    image_.assign(image);
    users_ = true;
    return true;
}

void DefaultGame::useSample()
{
    QSettings().remove(kDefaultGameSetting);
    image_.loadDefault();
    users_ = false;
}

} // namespace zq
