// comma_locale.h — a locale with ',' decimals for the tests: an installed one, or one made from the system's sources.
#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace korvel::testing {

// Puts a category (LC_ALL, LC_NUMERIC) under de_DE.UTF-8 for the object's life, compiling that locale
// into a private folder when it is not installed; back to "C" afterwards. Active() is false when no
// locale with ',' decimals could be had on this machine (Debian package 'locales').
class CommaLocale {
public:
    explicit CommaLocale(int category) : category_(category) {
        if (Use()) return;
        char folder[] = "/tmp/korvel-locale-XXXXXX";
        if (mkdtemp(folder) == nullptr) return;
        folder_ = folder;
        // localedef may warn about the sources and still write the locale: its status is not the verdict.
        (void)std::system(("localedef -i de_DE -f UTF-8 '" + folder_ + "/de_DE.UTF-8' >/dev/null 2>&1").c_str());
        setenv("LOCPATH", folder, 1);
        Use();
    }
    ~CommaLocale() {
        std::setlocale(category_, "C");
        if (folder_.empty()) return;
        unsetenv("LOCPATH");
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    bool Active() const { return active_; }

private:
    bool Use() {
        char probe[16] = "";
        if (std::setlocale(category_, "de_DE.UTF-8") != nullptr) std::snprintf(probe, sizeof probe, "%.1f", 0.5);
        active_ = std::string(probe) == "0,5";
        return active_;
    }

    int category_;
    std::string folder_;
    bool active_ = false;
};

}  // namespace korvel::testing
