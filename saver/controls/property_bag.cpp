// In-memory design data of a host.
#include "controls/property_bag.h"

std::optional<std::string> MemoryPropertyBag::read(const char* name) {
    for (const auto& [key, value] : values_) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

void MemoryPropertyBag::write(const char* name, const std::string& value) {
    for (auto& [key, stored] : values_) {
        if (key == name) {
            stored = value;
            return;
        }
    }
    values_.emplace_back(name, value);
}
