// Builds GIF files block by block for the tests and the benchmark. Images are
// real LZW data that never compresses (a clear code before the code width
// would grow), so any decoder shows them.
#pragma once

#include <cstdint>
#include <string>

namespace vt::test {

class GifBuilder {
  public:
    // colours: entries of the global colour table, a power of two from 2 to
    // 256, or 0 for none. version: the three bytes after "GIF".
    explicit GifBuilder(int width, int height, int colours = 4, const std::string& version = "89a")
        : colours_(colours) {
        bytes_ = "GIF" + version;
        U16(width);
        U16(height);
        bytes_ += static_cast<char>(colours > 0 ? 0x80 | 0x70 | TableBits(colours) : 0);
        bytes_ += '\0';  // background colour index
        bytes_ += '\0';  // aspect ratio
        Table(colours);
    }

    GifBuilder& Control(int delay, int disposal) {
        bytes_ += "\x21\xF9\x04";
        bytes_ += static_cast<char>((disposal & 7) << 2);
        U16(delay);
        bytes_ += '\0';  // transparent colour index
        bytes_ += '\0';
        return *this;
    }

    GifBuilder& Comment(const std::string& text) {
        bytes_ += "\x21\xFE";
        SubBlocks(text);
        return *this;
    }

    // The NETSCAPE2.0 looping extension (loops 0 = forever).
    GifBuilder& Loop(int loops) {
        bytes_ += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        U16(loops);
        bytes_ += '\0';
        return *this;
    }

    // A plain-text extension with its text.
    GifBuilder& PlainText(const std::string& text) {
        bytes_ += "\x21\x01\x0C";
        bytes_ += std::string(12, '\x01');
        SubBlocks(text);
        return *this;
    }

    // An image descriptor and its data: a pattern of every colour, or every
    // pixel of colour index solid when it is given. localColours as colours
    // above.
    GifBuilder& Image(int left, int top, int width, int height, int localColours = 0,
                      int solid = -1) {
        bytes_ += ',';
        U16(left);
        U16(top);
        U16(width);
        U16(height);
        bytes_ += static_cast<char>(localColours > 0 ? 0x80 | TableBits(localColours) : 0);
        Table(localColours);
        const int colours = localColours > 0 ? localColours : (colours_ > 0 ? colours_ : 2);
        Pixels(width * height, colours, solid);
        return *this;
    }

    GifBuilder& Raw(const std::string& bytes) {
        bytes_ += bytes;
        return *this;
    }

    // The colour of entry index of the tables these files carry, 0xRRGGBB.
    static uint32_t TableColour(int index) {
        return (static_cast<uint32_t>((index * 37) & 0xFF) << 16) |
               (static_cast<uint32_t>((index * 91) & 0xFF) << 8) |
               static_cast<uint32_t>((255 - index) & 0xFF);
    }

    // The bytes so far, without a trailer.
    const std::string& Bytes() const { return bytes_; }
    // The finished file: the bytes so far and the trailer.
    std::string Finish() const { return bytes_ + ';'; }

  private:
    static int TableBits(int colours) {
        int bits = 0;
        while ((2 << bits) < colours)
            ++bits;
        return bits;
    }

    void U16(int value) {
        bytes_ += static_cast<char>(value & 0xFF);
        bytes_ += static_cast<char>((value >> 8) & 0xFF);
    }

    void Table(int colours) {
        if (colours <= 0)
            return;
        for (int i = 0; i < (2 << TableBits(colours)); ++i) {
            bytes_ += static_cast<char>(i * 37);
            bytes_ += static_cast<char>(i * 91);
            bytes_ += static_cast<char>(255 - i);
        }
    }

    void SubBlocks(const std::string& data) {
        for (size_t at = 0; at < data.size(); at += 255) {
            const size_t length = data.size() - at < 255 ? data.size() - at : 255;
            bytes_ += static_cast<char>(length);
            bytes_.append(data, at, length);
        }
        bytes_ += '\0';
    }

    // count pixels of a diagonal pattern (or of colour solid) as uncompressed
    // LZW codes.
    void Pixels(int count, int colours, int solid) {
        const int codeSize = TableBits(colours) + 1 < 2 ? 2 : TableBits(colours) + 1;
        const int clear = 1 << codeSize;
        const int width = codeSize + 1;
        // The decoder adds a table entry for every code after the first that
        // follows a clear; a clear before the table reaches 2^width entries
        // keeps the width fixed.
        const int perClear = clear - 2;
        std::string data;
        uint32_t bits = 0;
        int pending = 0;
        auto put = [&](int code) {
            bits |= static_cast<uint32_t>(code) << pending;
            pending += width;
            while (pending >= 8) {
                data += static_cast<char>(bits & 0xFF);
                bits >>= 8;
                pending -= 8;
            }
        };
        for (int i = 0; i < count; ++i) {
            if (i % perClear == 0)
                put(clear);
            put(solid >= 0 ? solid : (i + i / 7) % colours);
        }
        put(clear + 1);  // end of information
        if (pending > 0)
            data += static_cast<char>(bits & 0xFF);
        bytes_ += static_cast<char>(codeSize);
        SubBlocks(data);
    }

    int colours_;
    std::string bytes_;
};

}  // namespace vt::test
