// The calling thread's COM apartment for as long as the object lives (the installer's database
// functions and the structured-storage calls want one).
#pragma once

#include <objbase.h>

namespace quentry::tools {

class ComApartment {
public:
    ComApartment() : m_initialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (m_initialized) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_initialized;
};

} // namespace quentry::tools
