// The machine's time zone set for one test, the old one put back after.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace pomix::dataio {

class ZoneOverride {
public:
    explicit ZoneOverride(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneOverride() {
        if (saved_) {
            setenv("TZ", saved_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    ZoneOverride(const ZoneOverride&) = delete;
    ZoneOverride& operator=(const ZoneOverride&) = delete;

private:
    std::optional<std::string> saved_;
};

}  // namespace pomix::dataio
