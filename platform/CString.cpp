#include "platform/CString.h"

#include <cstdarg>
#include <cstdio>

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        text_.clear();
    } else {
        std::string out(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<size_t>(length));
        text_ = std::move(out);
    }
    va_end(args);
}

CString CString::AfterLastBackslash() const {
    const size_t slash = text_.rfind('\\');
    return slash == std::string::npos ? *this : CString(text_.substr(slash + 1));
}
