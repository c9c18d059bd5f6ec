// cxx_compat.h -- the C++20 library pieces the browser toolchain's (Emscripten 3.1.6) C++ library
// still lacks. The browser build includes it in every C++ source file.
#pragma once

#ifdef __cplusplus
#include <version>
#ifndef __cpp_lib_bit_cast
#include <type_traits>
namespace std {
template <class To, class From>
    requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From &from) noexcept
{
    return __builtin_bit_cast(To, from);
}
} // namespace std
#endif

// Reading floating-point numbers with from_chars came to this C++ library in version 17.
#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 17000
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>
namespace std {
template <class Real>
    requires(is_same_v<Real, float> || is_same_v<Real, double>)
from_chars_result from_chars(const char *first, const char *last, Real &value)
{
    const string text(first, last);
    char *end = nullptr;
    errno = 0;
    const double read = strtod(text.c_str(), &end);
    const ptrdiff_t used = end - text.c_str();
    if (used == 0)
        return {first, errc::invalid_argument};
    if (errno == ERANGE || (is_same_v<Real, float> && (read > 3.4028234663852886e38 || read < -3.4028234663852886e38)))
        return {first + used, errc::result_out_of_range};
    value = static_cast<Real>(read);
    return {first + used, errc()};
}
} // namespace std
#endif
#endif
