#include "app/BeeperOutput.h"

#include "emu/Machine48.h"

#include <vector>

#ifdef ZELQUOR_HAVE_AUDIO
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#endif

namespace zq {

namespace {
constexpr int kSampleRate = 44100;
} // namespace

struct BeeperOutput::Device {
#ifdef ZELQUOR_HAVE_AUDIO
    std::unique_ptr<QAudioSink> sink;
    QIODevice* io = nullptr;
#endif
    std::vector<std::int16_t> samples;
};

BeeperOutput::BeeperOutput()
    : device_(std::make_unique<Device>())
{
}

BeeperOutput::~BeeperOutput()
{
    stop();
}

bool BeeperOutput::start()
{
#ifdef ZELQUOR_HAVE_AUDIO
    if (device_->io)
        return true;
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull())
        return false;
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!output.isFormatSupported(format))
        return false;
    device_->sink = std::make_unique<QAudioSink>(output, format);
    device_->sink->setBufferSize(kSampleRate / 5 * 2); // 200 ms
    device_->io = device_->sink->start();
    if (!device_->io || device_->sink->error() != QAudio::NoError) {
        stop();
        return false;
    }
    return true;
#else
    return false;
#endif
}

void BeeperOutput::stop()
{
#ifdef ZELQUOR_HAVE_AUDIO
    if (device_->sink)
        device_->sink->stop();
    device_->io = nullptr;
    device_->sink.reset();
#endif
}

bool BeeperOutput::active() const
{
#ifdef ZELQUOR_HAVE_AUDIO
    return device_->io != nullptr;
#else
    return false;
#endif
}

void BeeperOutput::play([[maybe_unused]] const emu::Machine48& machine)
{
#ifdef ZELQUOR_HAVE_AUDIO
    if (!device_->io)
        return;
    machine.beeperSamples(kSampleRate, device_->samples);
    const qint64 bytes = qint64(device_->samples.size() * sizeof(std::int16_t));
    if (device_->sink->bytesFree() >= bytes)
        device_->io->write(reinterpret_cast<const char*>(device_->samples.data()), bytes);
#endif
}

} // namespace zq
