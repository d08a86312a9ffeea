#pragma once
// The C library's locale changed for one test and restored when the scope ends, however
// the test leaves it (a failed ASSERT included), so no later test runs under it.

#include <clocale>
#include <string>

namespace norvane::test {

class ScopedLocale {
public:
    // Keeps the locale in force now; set() changes it until the end of the scope.
    ScopedLocale() : started_(std::setlocale(LC_ALL, nullptr)) {}
    ~ScopedLocale() { std::setlocale(LC_ALL, started_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    // true when the locale is installed and now in force; otherwise nothing changed.
    bool set(const char* locale) { return std::setlocale(LC_ALL, locale) != nullptr; }
    // The locale in force when the guard was made.
    const std::string& started() const { return started_; }

private:
    std::string started_;
};

} // namespace norvane::test
