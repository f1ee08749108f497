// UTF-8 message boxes on Windows and through the Win32 layer elsewhere.
#include "game/DMessage.h"

#ifdef _WIN32

#include <string>

namespace {
std::wstring Widen(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}
} // namespace

int ShowMessage(const char* text, const char* caption, UINT type) {
    return MessageBoxW(nullptr, Widen(text).c_str(), Widen(caption).c_str(), type);
}

#else

int ShowMessage(const char* text, const char* caption, UINT type) {
    return MessageBoxA(nullptr, text, caption, type);
}

#endif
