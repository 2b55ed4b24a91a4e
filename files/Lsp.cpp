#include "files/Lsp.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace zq::lsp {

namespace {

thread_local std::string lastMessage;

libspectrum_error keepMessage(libspectrum_error error, const char* format, va_list ap)
{
    char text[256];
    std::vsnprintf(text, sizeof text, format, ap);
    // A warning does not hide the error it may come with.
    if (error != LIBSPECTRUM_ERROR_WARNING || lastMessage.empty())
        lastMessage = text;
    return LIBSPECTRUM_ERROR_NONE;
}

} // namespace

void ensureInit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        libspectrum_error_function = keepMessage;
        libspectrum_init();
    });
}

std::string takeMessage()
{
    std::string message;
    message.swap(lastMessage);
    return message;
}

} // namespace zq::lsp
