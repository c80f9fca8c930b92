#pragma once

#include <memory>

namespace pregonero::runtime {

// Frees a C library's handle with that library's own function, so a
// std::unique_ptr can own it from the moment it is created:
//     UniqueHandle<CURL, curl_easy_cleanup> easy(curl_easy_init());
template <auto Free> struct FreeWith {
    template <class T> void operator()(T* handle) const noexcept { Free(handle); }
};

template <class T, auto Free> using UniqueHandle = std::unique_ptr<T, FreeWith<Free>>;

} // namespace pregonero::runtime
