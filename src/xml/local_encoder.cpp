#include "xml/local_encoder.h"

#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/code_page.h"
#include "xml/char_classes.h"

namespace vt::xml {

namespace {

// One BMP character in the local code page, packed in 32 bits: its bytes
// (up to 3) from the lowest byte up, their count in bits 24-25 and, in bit
// 31, whether the platform had no equivalent. 0 stands for "not known".
constexpr uint32_t kLossyBit = 0x80000000u;

size_t CharLength(uint32_t local) {
    return local >> 24 & 3;
}
bool CharLossy(uint32_t local) {
    return (local & kLossyBit) != 0;
}
// A plain two-byte character, not lossy (most of the Chinese plane).
bool IsDoubleByte(uint32_t local) {
    return local >> 24 == 2;
}
// Writes the character's bytes.
void PutChar(char* w, uint32_t local) {
    const size_t n = CharLength(local);
    for (size_t b = 0; b < n; ++b) {
        w[b] = static_cast<char>(local >> (8 * b));
    }
}

// The platform's conversion of every BMP character, asked for in blocks of
// 256 on first use: a document touches few blocks, and characters the code
// page lacks are slow to ask the platform about. One flat array, so that a
// character costs a single load; its entries are atomic because threads fill
// blocks as they meet them (two threads filling one block store the same
// values).
class BmpTable {
  public:
    static constexpr unsigned kBlockBits = 8;
    static constexpr unsigned kBlockSize = 1u << kBlockBits;
    static constexpr unsigned kBlocks = 0x10000 >> kBlockBits;

    BmpTable() {
        asciiIdentity_ = true;
        for (char16_t u = 0; asciiIdentity_ && u < 0x80; ++u) {
            asciiIdentity_ = Entry(u) == (1u << 24 | u);
        }
    }
    BmpTable(const BmpTable&) = delete;
    BmpTable& operator=(const BmpTable&) = delete;

    bool AsciiIdentity() const { return asciiIdentity_; }

    // The packed character for unit, or 0 when the platform's output for its
    // block could not be split into characters (then convert through the
    // platform).
    uint32_t Entry(char16_t unit) {
        const uint32_t local = Known(unit);
        return local != 0 ? local : Fill(unit);
    }
    // The entry as far as it is known: 0 also for a character whose block
    // has not been asked for yet.
    uint32_t Known(char16_t unit) const { return entries_[unit].load(std::memory_order_relaxed); }

  private:
    uint32_t Fill(char16_t unit) {
        const unsigned blockNumber = unit >> kBlockBits;
        if (unusable_[blockNumber].load(std::memory_order_relaxed)) {
            return 0;
        }
        uint32_t block[kBlockSize];
        if (!Build(blockNumber, block)) {
            unusable_[blockNumber].store(true, std::memory_order_relaxed);
            return 0;
        }
        for (unsigned k = 0; k < kBlockSize; ++k) {
            entries_[blockNumber * kBlockSize + k].store(block[k], std::memory_order_relaxed);
        }
        return block[unit & (kBlockSize - 1)];
    }

    static bool Build(unsigned blockNumber, uint32_t (&block)[kBlockSize]) {
        std::u16string units;
        for (unsigned k = 0; k < kBlockSize; ++k) {
            const unsigned u = blockNumber * kBlockSize + k;
            // Surrogate halves cannot stand alone; they are handled in pairs.
            units += (u >= 0xD800 && u <= 0xDFFF) ? u'?' : static_cast<char16_t>(u);
        }
        std::string encoded;
        if (!platform::EncodeCodePage(platform::LocalCodePage(), units, encoded)) {
            return false;
        }
        // Split the output by the code page's character lengths; if that does
        // not give one character per unit, the block cannot be trusted.
        const CharLengths& lengths = LocalCharLengths();
        size_t at = 0;
        for (unsigned k = 0; k < kBlockSize; ++k) {
            if (at >= encoded.size()) {
                return false;
            }
            const size_t n = lengths[static_cast<unsigned char>(encoded[at])];
            if (n > 3 || at + n > encoded.size()) {
                return false;
            }
            uint32_t local = static_cast<uint32_t>(n) << 24;
            for (size_t b = 0; b < n; ++b) {
                local |= static_cast<uint32_t>(static_cast<unsigned char>(encoded[at + b]))
                         << (8 * b);
            }
            if (n == 1 && encoded[at] == '?' && units[k] != u'?') {
                local |= kLossyBit;
            }
            block[k] = local;
            at += n;
        }
        return at == encoded.size();
    }

    std::atomic<uint32_t> entries_[0x10000] = {};
    std::atomic<bool> unusable_[kBlocks] = {};
    bool asciiIdentity_ = false;
};

BmpTable& Table() {
    static BmpTable table;
    return table;
}

void AppendThroughPlatform(std::u16string_view units, std::string& out, bool& lossy) {
    std::string encoded;
    platform::EncodeCodePage(platform::LocalCodePage(), units, encoded);
    size_t marks = 0;
    for (char16_t u : units) {
        marks += u == u'?';
    }
    size_t written = 0;
    for (char c : encoded) {
        written += c == '?';
    }
    lossy = lossy || written > marks;
    out += encoded;
}

// Appends one code point (a surrogate pair when beyond the plane).
void AppendCodePoint(BmpTable& table, char32_t code, std::string& out, bool& lossy) {
    if (code < 0x10000) {
        const char16_t unit = static_cast<char16_t>(code);
        if (const uint32_t local = table.Entry(unit)) {
            char bytes[3];
            PutChar(bytes, local);
            out.append(bytes, CharLength(local));
            lossy = lossy || CharLossy(local);
        } else {
            AppendThroughPlatform(std::u16string_view(&unit, 1), out, lossy);
        }
        return;
    }
    const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)),
                              static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF))};
    AppendThroughPlatform(std::u16string_view(pair, 2), out, lossy);
}

constexpr uint64_t kHighBits = 0x8080808080808080u;

// The end of the run of ASCII bytes that starts at s[i], eight bytes at a
// time while it lasts.
size_t AsciiRunEnd(const unsigned char* s, size_t i, size_t size) {
    uint64_t word = 0;
    while (i + 8 <= size && (std::memcpy(&word, s + i, 8), (word & kHighBits) == 0)) {
        i += 8;
    }
    while (i < size && s[i] < 0x80) {
        ++i;
    }
    return i;
}

// Moves the run of ASCII bytes at s[i] back to w (which never lies ahead of
// s + i) and gives the run's end. Whole blocks are stored even when the run
// ends inside one, as long as that cannot reach input not yet read: the
// output is where the input is (the bytes stay as they are) or lags a block
// behind.
size_t MoveAsciiRun(const unsigned char* s, size_t i, size_t size, char*& w) {
    const char* const in = reinterpret_cast<const char*>(s);
#if defined(__SSE2__)
    while (i + 16 <= size) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(block));
        const size_t lag = static_cast<size_t>(in + i - w);
        if (high == 0 || lag == 0 || lag >= 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(w), block);
            if (high != 0) {
                const size_t ascii = static_cast<size_t>(std::countr_zero(high));
                w += ascii;
                return i + ascii;
            }
            w += 16;
            i += 16;
            continue;
        }
        break;
    }
#else
    while (i + 8 <= size) {
        uint64_t word = 0;
        std::memcpy(&word, s + i, 8);
        const uint64_t high = word & kHighBits;
        const size_t lag = static_cast<size_t>(in + i - w);
        if (high != 0 && (std::endian::native != std::endian::little || (lag != 0 && lag < 8)))
            break;
        std::memcpy(w, &word, 8);
        if (high != 0) {
            const size_t ascii = static_cast<size_t>(std::countr_zero(high)) / 8;
            w += ascii;
            return i + ascii;
        }
        w += 8;
        i += 8;
    }
#endif
    while (i < size && s[i] < 0x80) {
        *w++ = static_cast<char>(s[i++]);
    }
    return i;
}

// Decodes the UTF-8 sequence at s[i]; gives its length, or 0 when it is not a
// valid sequence (overlong, a surrogate half, beyond U+10FFFF or cut short).
size_t DecodeUtf8(const unsigned char* s, size_t i, size_t size, char32_t& code) {
    const unsigned char c = s[i];
    if (c < 0x80) {
        code = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF && i + 1 < size && (s[i + 1] & 0xC0) == 0x80) {
        code = (c & 0x1F) << 6 | (s[i + 1] & 0x3F);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF && i + 2 < size && (s[i + 1] & 0xC0) == 0x80 &&
        (s[i + 2] & 0xC0) == 0x80) {
        code = (c & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F);
        return code < 0x800 || (code >= 0xD800 && code <= 0xDFFF) ? 0 : 3;
    }
    if (c >= 0xF0 && c <= 0xF4 && i + 3 < size && (s[i + 1] & 0xC0) == 0x80 &&
        (s[i + 2] & 0xC0) == 0x80 && (s[i + 3] & 0xC0) == 0x80) {
        code =
            (c & 0x07) << 18 | (s[i + 1] & 0x3F) << 12 | (s[i + 2] & 0x3F) << 6 | (s[i + 3] & 0x3F);
        return code < 0x10000 || code > 0x10FFFF ? 0 : 4;
    }
    return 0;
}

// The code point of the three-byte sequence in the low bytes of word
// (little-endian), once its lead and trail bits have been checked.
inline unsigned ThreeByteCode(uint32_t word) {
    return (word & 0x0F) << 12 | (word >> 2 & 0xFC0) | (word >> 16 & 0x3F);
}

#if defined(__SSE2__)
// Converts five three-byte characters at in[0, 15) to ten bytes at w when
// each becomes two bytes; false (nothing written) when in[0, 16) holds
// anything else. The shape of all five is checked at once; leads 0xE0 and
// 0xED (whose sequences may be overlong or surrogates) are left to the
// closer look. Little-endian only.
inline bool ConvertFiveChinese(const BmpTable& table, const unsigned char* in, char* w) {
    const char f0 = static_cast<char>(0xF0), c0 = static_cast<char>(0xC0);
    const char e0 = static_cast<char>(0xE0), x80 = static_cast<char>(0x80);
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i shape = _mm_cmpeq_epi8(
        _mm_and_si128(block,
                      _mm_setr_epi8(f0, c0, c0, f0, c0, c0, f0, c0, c0, f0, c0, c0, f0, c0, c0, 0)),
        _mm_setr_epi8(e0, x80, x80, e0, x80, x80, e0, x80, x80, e0, x80, x80, e0, x80, x80, 0));
    const __m128i doubtful =
        _mm_or_si128(_mm_cmpeq_epi8(block, _mm_set1_epi8(e0)),
                     _mm_cmpeq_epi8(block, _mm_set1_epi8(static_cast<char>(0xED))));
    constexpr int kLeads = 0x1249;  // bytes 0, 3, 6, 9 and 12
    if (_mm_movemask_epi8(shape) != 0xFFFF || (_mm_movemask_epi8(doubtful) & kLeads) != 0) {
        return false;
    }
    // The code points in sixteen-bit lanes: the characters at bytes 0, 6
    // and 12 start lanes of the block, those at 3 and 9 lanes of the block
    // moved on by a byte. A lane's low byte is the lead, its high byte the
    // first trail; the second trail is the low byte of the next lane.
    const auto codes = [](__m128i leads) {
        const __m128i trails = _mm_srli_si128(leads, 2);
        return _mm_or_si128(
            _mm_or_si128(_mm_slli_epi16(_mm_and_si128(leads, _mm_set1_epi16(0x000F)), 12),
                         _mm_and_si128(_mm_srli_epi16(leads, 2), _mm_set1_epi16(0x0FC0))),
            _mm_and_si128(trails, _mm_set1_epi16(0x003F)));
    };
    const __m128i even = codes(block);
    const __m128i odd = codes(_mm_srli_si128(block, 1));
    const uint32_t a = table.Known(static_cast<char16_t>(_mm_extract_epi16(even, 0)));
    const uint32_t b = table.Known(static_cast<char16_t>(_mm_extract_epi16(odd, 1)));
    const uint32_t c = table.Known(static_cast<char16_t>(_mm_extract_epi16(even, 3)));
    const uint32_t d = table.Known(static_cast<char16_t>(_mm_extract_epi16(odd, 4)));
    const uint32_t e = table.Known(static_cast<char16_t>(_mm_extract_epi16(even, 6)));
    // Each is 2 << 24 (two bytes, not lossy) exactly when both their union
    // and their intersection are.
    if ((a | b | c | d | e) >> 24 != 2 || (a & b & c & d & e) >> 24 != 2) {
        return false;
    }
    const uint64_t first = uint64_t{a & 0xFFFF} | uint64_t{b & 0xFFFF} << 16 |
                           uint64_t{c & 0xFFFF} << 32 | uint64_t{d & 0xFFFF} << 48;
    std::memcpy(w, &first, 8);
    std::memcpy(w + 8, &e, 2);
    return true;
}
#endif

// Reads the character at s[i]: gives its UTF-8 length (0 when broken) and
// its packed local form in local (0 when the platform must convert it).
size_t ReadChar(BmpTable& table, const unsigned char* s, size_t i, size_t size, char32_t& code,
                uint32_t& local) {
    const size_t n = DecodeUtf8(s, i, size, code);
    local = n != 0 && code < 0x10000 ? table.Entry(static_cast<char16_t>(code)) : 0;
    return n;
}

// The packed local form of a well-formed three-byte sequence at s[i] (most of
// the Chinese plane), or 0 for anything else.
inline uint32_t ThreeByteChar(BmpTable& table, const unsigned char* s, size_t i, size_t size) {
    if ((s[i] & 0xF0) != 0xE0 || i + 2 >= size || (s[i + 1] & 0xC0) != 0x80 ||
        (s[i + 2] & 0xC0) != 0x80) {
        return 0;
    }
    const char16_t code =
        static_cast<char16_t>((s[i] & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F));
    if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return table.Entry(code);
}

// Converted bytes gather in a window on the stack and go to the string in
// pieces, so that a short text grows it once, by exactly its own length.
class LocalOutput {
  public:
    static constexpr size_t kWindowBytes = 256;
    // The most bytes one character from the table takes.
    static constexpr size_t kCharBytes = 3;

    explicit LocalOutput(std::string& out) : out_(out) {}
    LocalOutput(const LocalOutput&) = delete;
    LocalOutput& operator=(const LocalOutput&) = delete;

    // Where the next character goes: room for kCharBytes.
    char* Room() {
        if (static_cast<size_t>(window_ + kWindowBytes - w_) < kCharBytes)
            Flushed();
        return w_;
    }
    void Advance(size_t n) { w_ += n; }
    void Append(const unsigned char* bytes, size_t n) {
        if (n > static_cast<size_t>(window_ + kWindowBytes - w_)) {
            Flushed().append(reinterpret_cast<const char*>(bytes), n);
            return;
        }
        std::memcpy(w_, bytes, n);
        w_ += n;
    }
    // The string with everything so far in it, for output that bypasses the
    // window.
    std::string& Flushed() {
        out_.append(window_, w_ - window_);
        w_ = window_;
        return out_;
    }

  private:
    std::string& out_;
    char window_[kWindowBytes];
    char* w_ = window_;
};

}  // namespace

void AppendUtf16AsLocal(std::u16string_view units, std::string& out, bool& lossy) {
    BmpTable& table = Table();
    out.reserve(out.size() + units.size() + units.size() / 100);
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDFFF) {
            if (u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                units[i + 1] <= 0xDFFF) {
                AppendThroughPlatform(units.substr(i, 2), out, lossy);
                ++i;
            } else {
                out += '?';
                lossy = true;
            }
            continue;
        }
        AppendCodePoint(table, u, out, lossy);
    }
}

void AppendUtf8AsLocal(std::string_view utf8, std::string& out, bool& lossy) {
    BmpTable& table = Table();
    const size_t size = utf8.size();
    const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8.data());
    // A long text is rarely longer in the local code page; a short one goes
    // out in one piece and takes exactly the room it needs.
    if (size > LocalOutput::kWindowBytes)
        out.reserve(out.size() + size + size / 100 + 16);
    LocalOutput output(out);
    const bool asciiIdentity = table.AsciiIdentity();
    size_t i = 0;
    while (i < size) {
        if (asciiIdentity && s[i] < 0x80) {
            const size_t j = AsciiRunEnd(s, i, size);
            output.Append(s + i, j - i);
            i = j;
            continue;
        }
        char32_t code = 0;
        uint32_t local = 0;
        const size_t n = ReadChar(table, s, i, size, code, local);
        i += n == 0 ? 1 : n;
        if (n == 0) {
            *output.Room() = '?';
            output.Advance(1);
            lossy = true;
        } else if (local != 0) {
            PutChar(output.Room(), local);
            output.Advance(CharLength(local));
            lossy = lossy || CharLossy(local);
        } else {
            AppendCodePoint(table, code, output.Flushed(), lossy);
        }
    }
    output.Flushed();
}

void Utf8ToLocalInPlace(std::string& text, bool& lossy) {
    BmpTable& table = Table();
    if (!table.AsciiIdentity()) {
        const std::string utf8 = std::move(text);
        text.clear();
        AppendUtf8AsLocal(utf8, text, lossy);
        return;
    }
    const size_t size = text.size();
    char* const base = text.data();
    const unsigned char* s = reinterpret_cast<const unsigned char*>(base);
    // Until the first character shrinks, the text stays where it is.
    size_t i = AsciiRunEnd(s, 0, size);
    char* w = base + i;
    // Kept in a local: the caller's flag could alias the bytes written, which
    // would cost a load and a store per character.
    bool lost = false;
    while (i < size) {
        if (s[i] < 0x80) {
            i = MoveAsciiRun(s, i, size, w);
            continue;
        }
        if constexpr (std::endian::native == std::endian::little) {
            // A run of two- and three-byte characters that become two bytes
            // (most of the Chinese plane): five at once while that works,
            // then two or one at a time to the end of the run, each checked
            // as one word. Two bytes for two or three read never overtake the
            // input. Characters not yet asked of the platform, and leads 0xE0
            // and 0xED (whose sequences may be overlong or surrogate halves)
            // in the five and two at once, take the slower ways.
            const size_t runStart = i;
            bool byFive = true;
            while (i + 4 <= size) {
#if defined(__SSE2__)
                if (byFive) {
                    if (i + 16 <= size && ConvertFiveChinese(table, s + i, w)) {
                        w += 10;
                        i += 15;
                        continue;
                    }
                    byFive = false;
                }
#endif
                if (i + 8 <= size) {
                    uint64_t pair = 0;
                    std::memcpy(&pair, s + i, 8);
                    if ((pair & 0xC0C0F0C0C0F0u) == 0x8080E08080E0u &&
                        (0x2001u >> (pair & 0x0F) & 1) == 0 &&
                        (0x2001u >> (pair >> 24 & 0x0F) & 1) == 0) {
                        const uint32_t a = table.Known(
                            static_cast<char16_t>(ThreeByteCode(static_cast<uint32_t>(pair))));
                        const uint32_t b = table.Known(static_cast<char16_t>(
                            ThreeByteCode(static_cast<uint32_t>(pair >> 24))));
                        if (IsDoubleByte(a) && IsDoubleByte(b)) {
                            const uint32_t both = (a & 0xFFFF) | b << 16;
                            std::memcpy(w, &both, 4);
                            w += 4;
                            i += 6;
                            continue;
                        }
                    }
                }
                uint32_t word = 0;
                std::memcpy(&word, s + i, 4);
                unsigned code = 0;
                size_t n = 0;
                if ((word & 0xC0C0F0u) == 0x8080E0u) {
                    code = ThreeByteCode(word);
                    if (code < 0x800 || code - 0xD800 < 0x800)
                        break;
                    n = 3;
                } else if ((word & 0xC0E0u) == 0x80C0u && (word & 0x1Eu) != 0) {
                    code = (word & 0x1F) << 6 | (word >> 8 & 0x3F);
                    n = 2;
                } else {
                    break;
                }
                const uint32_t local = table.Entry(static_cast<char16_t>(code));
                if (!IsDoubleByte(local))
                    break;
                std::memcpy(w, &local, 2);
                w += 2;
                i += n;
            }
            if (i != runStart)
                continue;
        }
        if (const uint32_t local = ThreeByteChar(table, s, i, size)) {
            // Three bytes never give more than three.
            PutChar(w, local);
            w += CharLength(local);
            lost = lost || CharLossy(local);
            i += 3;
            continue;
        }
        char32_t code = 0;
        uint32_t local = 0;
        const size_t n = ReadChar(table, s, i, size, code, local);
        if (n == 0) {
            *w++ = '?';
            lost = true;
            ++i;
            continue;
        }
        // The output must not overtake the input still to be read; a
        // character that would do so sends the rest to the copying path.
        if (local != 0 && w + CharLength(local) <= base + i + n) {
            PutChar(w, local);
            w += CharLength(local);
            lost = lost || CharLossy(local);
            i += n;
            continue;
        }
        const std::string rest(base + i, size - i);
        text.resize(w - base);
        lossy = lossy || lost;
        AppendUtf8AsLocal(rest, text, lossy);
        return;
    }
    text.resize(w - base);
    lossy = lossy || lost;
}

}  // namespace vt::xml
