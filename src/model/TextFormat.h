#pragma once
/// \brief printf-style formatting into a std::string.

#include <cstddef>
#include <cstdio>
#include <string>

namespace plotra {

/// The text snprintf makes of \p format and \p args in a buffer of N characters (a longer text is
/// cut at N - 1 characters, as snprintf cuts it).
template <std::size_t N = 128, class... Args> std::string FormatText(const char* format, Args... args) {
    char buffer[N];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

} // namespace plotra
