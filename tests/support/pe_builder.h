// Writes small PE images for the tests: sections with chosen names and contents,
// extra bytes (import names and the like), and headers that can be bent.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quillvarden::test {

class PeBuilder {
public:
    PeBuilder& section(std::string name, std::vector<std::uint8_t> data) {
        sections_.push_back({std::move(name), std::move(data)});
        return *this;
    }
    // Bytes appended after the sections (strings such as imported API names).
    PeBuilder& trailer(const std::string& text) {
        trailer_ += text;
        return *this;
    }
    PeBuilder& peHeaderOffset(std::uint32_t offset) {
        peOffset_ = offset;
        return *this;
    }
    // Claims this many sections in the header whatever the table holds.
    PeBuilder& claimedSectionCount(std::uint16_t count) {
        claimedCount_ = count;
        claimed_ = true;
        return *this;
    }
    PeBuilder& optionalHeaderSize(std::uint16_t size) {
        optionalSize_ = size;
        return *this;
    }
    // Makes the first section's raw data start here instead of where it lies.
    PeBuilder& firstRawOffset(std::uint32_t offset) {
        rawOffsetOverride_ = offset;
        return *this;
    }

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> image(0x80, 0);
        image[0] = 'M';
        image[1] = 'Z';
        put32(image, 60, peOffset_);
        const std::size_t pe = 0x80;
        image.resize(pe + 24 + optionalSize_ + 40 * sections_.size(), 0);
        image[pe] = 'P';
        image[pe + 1] = 'E';
        put16(image, pe + 4, 0x8664);
        put16(image, pe + 6, claimed_ ? claimedCount_ : static_cast<std::uint16_t>(sections_.size()));
        put16(image, pe + 20, optionalSize_);
        if (optionalSize_ >= 2) put16(image, pe + 24, 0x20b);
        std::size_t raw = (image.size() + 0x1FF) & ~std::size_t{0x1FF};
        for (std::size_t i = 0; i < sections_.size(); ++i) {
            const std::size_t header = pe + 24 + optionalSize_ + 40 * i;
            for (std::size_t k = 0; k < 8 && k < sections_[i].name.size(); ++k) {
                image[header + k] = static_cast<std::uint8_t>(sections_[i].name[k]);
            }
            put32(image, header + 8, static_cast<std::uint32_t>(sections_[i].data.size()));
            put32(image, header + 16, static_cast<std::uint32_t>(sections_[i].data.size()));
            put32(image, header + 20, i == 0 && rawOffsetOverride_ ? rawOffsetOverride_ : static_cast<std::uint32_t>(raw));
            if (image.size() < raw) image.resize(raw, 0);
            image.insert(image.begin() + static_cast<std::ptrdiff_t>(raw), sections_[i].data.begin(),
                         sections_[i].data.end());
            raw = (image.size() + 0x1FF) & ~std::size_t{0x1FF};
        }
        image.insert(image.end(), trailer_.begin(), trailer_.end());
        return image;
    }

    // Content of a given shape for a section.
    static std::vector<std::uint8_t> randomBytes(std::size_t size, unsigned seed = 7) {
        std::mt19937 random(seed);
        std::vector<std::uint8_t> bytes(size);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
        return bytes;
    }
    // Each of the first `symbols` byte values the same number of times: entropy log2(symbols).
    static std::vector<std::uint8_t> evenBytes(std::size_t symbols, std::size_t repeats) {
        std::vector<std::uint8_t> bytes;
        for (std::size_t r = 0; r < repeats; ++r) {
            for (std::size_t s = 0; s < symbols; ++s) bytes.push_back(static_cast<std::uint8_t>(s));
        }
        return bytes;
    }

private:
    struct Section {
        std::string name;
        std::vector<std::uint8_t> data;
    };
    static void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
        b[at] = static_cast<std::uint8_t>(v);
        b[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    static void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }

    std::vector<Section> sections_;
    std::string trailer_;
    std::uint32_t peOffset_ = 0x80;
    std::uint16_t claimedCount_ = 0;
    bool claimed_ = false;
    std::uint16_t optionalSize_ = 240;
    std::uint32_t rawOffsetOverride_ = 0;
};

}  // namespace quillvarden::test
