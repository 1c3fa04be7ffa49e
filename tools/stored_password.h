// The sync password from the desktop's secret store, where the window keeps it (QtKeychain,
// service "Pomix", key sync::PasswordKey). Built only with Qt; without it there is no store.
#pragma once

#include <optional>
#include <string>

namespace pomix::tool {

// Nothing when no store answers or it holds nothing under key.
std::optional<std::string> StoredPassword(const std::string& key);

}  // namespace pomix::tool
