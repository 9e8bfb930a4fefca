// The host's design data as seen by a control: named text values, read when the host
// loads and written when it saves. MemoryPropertyBag keeps them in memory, in write order.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Name and stored text of each value.
using PropertyValues = std::vector<std::pair<std::string, std::string>>;

class PropertyBag {
  public:
    virtual ~PropertyBag() = default;
    // The stored text, or nothing when no value is stored under the name.
    virtual std::optional<std::string> read(const char* name) = 0;
    virtual void write(const char* name, const std::string& value) = 0;
};

class MemoryPropertyBag : public PropertyBag {
  public:
    MemoryPropertyBag() = default;
    explicit MemoryPropertyBag(PropertyValues values) : values_(std::move(values)) {}

    std::optional<std::string> read(const char* name) override;
    // Replaces a stored value in place, otherwise appends.
    void write(const char* name, const std::string& value) override;

    const PropertyValues& values() const { return values_; }

  private:
    PropertyValues values_;
};
