#pragma once
// Temporary files for the MIDI file tests, removed when the holder goes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace midifile::testing {

using Bytes = std::vector<uint8_t>;

class TempFile {
  public:
    explicit TempFile(const std::string& stem = "midi") {
        static int counter = 0;
        path_ = ::testing::TempDir() + "quintora_" + stem + "_" + std::to_string(::getpid()) + "_" +
                std::to_string(counter++) + ".mid";
    }
    explicit TempFile(const Bytes& content, const std::string& stem = "midi") : TempFile(stem) {
        Write(content);
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const char* path() const { return path_.c_str(); }
    void Write(const Bytes& content) const {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!content.empty()) std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
    Bytes Read() const {
        Bytes out;
        std::FILE* f = std::fopen(path_.c_str(), "rb");
        if (f == nullptr) return out;
        int c;
        while ((c = std::fgetc(f)) != EOF) out.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
        return out;
    }

  private:
    std::string path_;
};

// A standard MIDI file around the given track bodies (format 1 unless told).
inline Bytes SmfFile(const std::vector<Bytes>& tracks, int format = 1, int division = 96) {
    Bytes out = {'M',
                 'T',
                 'h',
                 'd',
                 0,
                 0,
                 0,
                 6,
                 0,
                 static_cast<uint8_t>(format),
                 0,
                 static_cast<uint8_t>(tracks.size()),
                 static_cast<uint8_t>(division >> 8),
                 static_cast<uint8_t>(division)};
    for (const auto& t : tracks) {
        const auto n = static_cast<uint32_t>(t.size());
        Bytes head = {'M',
                      'T',
                      'r',
                      'k',
                      static_cast<uint8_t>(n >> 24),
                      static_cast<uint8_t>(n >> 16),
                      static_cast<uint8_t>(n >> 8),
                      static_cast<uint8_t>(n)};
        out.insert(out.end(), head.begin(), head.end());
        out.insert(out.end(), t.begin(), t.end());
    }
    return out;
}

}  // namespace midifile::testing
