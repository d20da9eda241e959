#pragma once

#include <cstddef>
#include <string>

namespace siteherald {

// Where the HTTP client puts the body bytes it receives.
class BodyStream {
public:
    virtual ~BodyStream() = default;
    virtual void Write(const char* data, size_t size) = 0;
};

// A body kept in memory.
class MemoryStream : public BodyStream {
public:
    void Write(const char* data, size_t size) override { data_.append(data, size); }
    const std::string& data() const { return data_; }
    std::string& data() { return data_; }

private:
    std::string data_;
};

} // namespace siteherald
