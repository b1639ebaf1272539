// The catalogue's channel to the user: standard error until the front end
// installs its message box.

#include "platform.h"

#include <cstdio>

namespace velmora::platform {

namespace {

void WriteToStandardError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

MessageFunction g_messageFunction = &WriteToStandardError;

} // namespace

void SetMessageFunction(MessageFunction function) {
    g_messageFunction = function != nullptr ? function : &WriteToStandardError;
}

void ShowMessage(const std::string& text) {
    g_messageFunction(text);
}

} // namespace velmora::platform
