#include "app/DefaultGame.h"

#include "app/FileIO.h"
#include "image/GameImage.h"

#include <QByteArray>
#include <QSettings>

namespace zq {

namespace {
const char* const kDefaultGameSetting = "game/defaultImage";
} // namespace

void applyDefaultGameSetting()
{
    const QByteArray image = QSettings().value(kDefaultGameSetting).toByteArray();
    if (!setDefaultImage(byteSpan(image)))
        clearDefaultImage();
}

bool useAsDefaultGame(std::span<const std::uint8_t> image)
{
    if (!setDefaultImage(image))
        return false;
    QSettings().setValue(kDefaultGameSetting,
                         QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
    return true;
}

void useSampleGame()
{
    QSettings().remove(kDefaultGameSetting);
    clearDefaultImage();
}

} // namespace zq
