#include "imagelib/codecs/GifLzw.h"

#include <algorithm>
#include <array>

#include "imagelib/PixFile.h"

namespace {

constexpr int kMaxBits = 12;
constexpr int kTableSize = 1 << kMaxBits;

// Codes least significant bit first out of length-prefixed sub-blocks.
class CodeReader {
public:
    explicit CodeReader(CPixFile* f) : m_file(f) {}
    // The next code of bits bits, or -1 when the sub-blocks end.
    int Next(int bits) {
        while (m_count < bits) {
            const int b = NextByte();
            if (b < 0) return -1;
            m_acc |= static_cast<uint32_t>(b) << m_count;
            m_count += 8;
        }
        const int code = static_cast<int>(m_acc & ((1u << bits) - 1));
        m_acc >>= bits;
        m_count -= bits;
        return code;
    }
    // Reads past the remaining sub-blocks; false when the data ends before the empty one.
    bool Finish() {
        while (!m_ended) {
            if (NextByte() < 0 && !m_ended) return false;
        }
        return m_terminated;
    }

private:
    int NextByte() {
        if (m_ended) return -1;
        if (m_left == 0) {
            const long size = m_file->GetC();
            if (size <= 0) {
                m_ended = true;
                m_terminated = size == 0;
                return -1;
            }
            m_left = static_cast<int>(size);
        }
        const long b = m_file->GetC();
        if (b < 0) {
            m_ended = true;
            return -1;
        }
        --m_left;
        return static_cast<int>(b);
    }

    CPixFile* m_file;
    int m_left = 0;
    uint32_t m_acc = 0;
    int m_count = 0;
    bool m_ended = false;
    bool m_terminated = false;
};

// Codes packed least significant bit first into sub-blocks of at most `packet` bytes.
class CodeWriter {
public:
    CodeWriter(std::vector<uint8_t>& out, size_t packet) : m_out(out), m_packetSize(packet) {}
    void Put(int code, int bits) {
        m_acc |= static_cast<uint32_t>(code) << m_count;
        m_count += bits;
        while (m_count >= 8) {
            Byte(static_cast<uint8_t>(m_acc));
            m_acc >>= 8;
            m_count -= 8;
        }
    }
    // Sends the last bits and the last packet, then the empty terminator.
    void Finish() {
        if (m_count > 0) Byte(static_cast<uint8_t>(m_acc));
        m_acc = 0;
        m_count = 0;
        Flush();
        m_out.push_back(0);
    }

private:
    void Byte(uint8_t b) {
        m_packet.push_back(b);
        if (m_packet.size() == m_packetSize) Flush();
    }
    void Flush() {
        if (m_packet.empty()) return;
        m_out.push_back(static_cast<uint8_t>(m_packet.size()));
        m_out.insert(m_out.end(), m_packet.begin(), m_packet.end());
        m_packet.clear();
    }

    std::vector<uint8_t>& m_out;
    size_t m_packetSize;
    std::vector<uint8_t> m_packet;
    uint32_t m_acc = 0;
    int m_count = 0;
};

// The code size a decoder uses: one entry is added for each code after the first since a
// clear, and the size grows when the next free code reaches the current limit.
struct DecoderModel {
    int initBits;
    int clear;
    int bits = 0;
    int next = 0;
    bool first = true;
    DecoderModel(int init, int clearCode) : initBits(init), clear(clearCode) { Reset(); }
    void Reset() {
        bits = initBits;
        next = clear + 2;
        first = true;
    }
    void Sent() {
        if (first) {
            first = false;
            return;
        }
        if (next < kTableSize) {
            ++next;
            if (next == (1 << bits) && bits < kMaxBits) ++bits;
        }
    }
};

void EncodeUncompressed(const uint8_t* px, size_t n, int initBits, CodeWriter& w) {
    const int clear = 1 << (initBits - 1);
    DecoderModel model(initBits, clear);
    w.Put(clear, model.bits);
    for (size_t i = 0; i < n; ++i) {
        w.Put(px[i], model.bits);
        model.Sent();
        if (model.next >= kTableSize) {
            w.Put(clear, model.bits);
            model.Reset();
        }
    }
    w.Put(clear + 1, model.bits);
}

// Hashed LZW: open addressing over 5003 slots keyed by (pixel << 12) + prefix code.
void EncodeLzw(const uint8_t* px, size_t n, int initBits, CodeWriter& w) {
    constexpr int kHashSize = 5003;
    constexpr int kHashShift = 4;
    const int clear = 1 << (initBits - 1);
    const int end = clear + 1;
    // On the stack: a true-colour picture codes one stream per tile, thousands of them.
    std::array<int32_t, kHashSize> keys;
    std::array<uint16_t, kHashSize> codes;
    keys.fill(-1);
    int bits = initBits;
    int maxCode = (1 << bits) - 1;
    int next = clear + 2;
    bool cleared = false;

    auto output = [&](int code) {
        w.Put(code, bits);
        if (next > maxCode || cleared) {
            if (cleared) {
                bits = initBits;
                cleared = false;
            } else {
                ++bits;
            }
            maxCode = bits == kMaxBits ? kTableSize : (1 << bits) - 1;
        }
    };

    output(clear);
    if (n == 0) {
        output(end);
        return;
    }
    int prefix = px[0];
    for (size_t k = 1; k < n; ++k) {
        const int c = px[k];
        const int32_t key = (c << kMaxBits) + prefix;
        int i = (c << kHashShift) ^ prefix;
        bool found = false;
        if (keys[i] == key) {
            found = true;
        } else if (keys[i] >= 0) {
            const int step = i == 0 ? 1 : kHashSize - i;
            do {
                i -= step;
                if (i < 0) i += kHashSize;
                if (keys[i] == key) {
                    found = true;
                    break;
                }
            } while (keys[i] >= 0);
        }
        if (found) {
            prefix = codes[i];
            continue;
        }
        output(prefix);
        prefix = c;
        if (next < kTableSize) {
            codes[i] = static_cast<uint16_t>(next++);
            keys[i] = key;
        } else {
            std::fill(keys.begin(), keys.end(), -1);
            next = clear + 2;
            cleared = true;
            output(clear);
        }
    }
    output(prefix);
    output(end);
}

// Integer square root by Newton steps from a power of two near the root.
uint64_t SquareRoot(uint64_t v) {
    if (v < 2) return v;
    uint64_t r = 1;
    for (uint64_t t = v; t >= 4; t >>= 2)
        r <<= 1;
    for (;;) {
        const uint64_t n = (v / r + r) / 2;
        if (n == r || n == r + 1) return r;
        r = n;
    }
}

// Codes needed to send count pixels of one value right after a clear, where the k-th code
// stands for k pixels and at most codes codes fit before the table is full.
uint64_t TriangleCost(uint64_t count, uint64_t codes) {
    const uint64_t per = codes * (codes + 1) / 2;
    uint64_t cost = 0;
    while (count >= per) {
        cost += codes;
        count -= per;
    }
    if (count > 0) {
        uint64_t m = SquareRoot(count);
        while (m > 0 && m * (m + 1) >= 2 * count)
            --m;
        while (m * (m + 1) < 2 * count)
            ++m;
        cost += m;
    }
    return cost;
}

// Run-length coding that only sends pixel codes and codes the decoder has built from runs of
// one pixel the encoder sent itself, tracking the decoder's code count and code size.
class RunLengthCoder {
public:
    RunLengthCoder(int initBits, CodeWriter& w)
        : m_w(w), m_clear(1 << (initBits - 1)), m_base(m_clear + 2), m_initBits(initBits),
          m_growInit(m_clear - 1), m_clearInit(initBits <= 3 ? 9 : m_clear - 2), m_maxCodes(4093 - m_clear) {
        Reset();
    }

    void Run(const uint8_t* px, size_t n) {
        m_w.Put(m_clear, m_bits);
        for (size_t i = 0; i < n; ++i) {
            if (m_runLength > 0 && px[i] != m_runPixel) Flush();
            if (m_runLength > 0 && px[i] == m_runPixel) {
                ++m_runLength;
            } else {
                m_runPixel = px[i];
                m_runLength = 1;
            }
        }
        if (m_runLength > 0) Flush();
        m_w.Put(m_clear + 1, m_bits);
    }

private:
    void Reset() {
        m_bits = m_initBits;
        m_growAt = m_growInit;
        m_clearAt = m_clearInit;
        m_sent = 0;
        m_tableMax = 0;
        m_justCleared = true;
    }
    void SendClear() {
        m_w.Put(m_clear, m_bits);
        Reset();
    }
    void Plain(int code) {
        m_justCleared = false;
        m_w.Put(code, m_bits);
        ++m_sent;
        if (m_sent >= m_growAt) {
            ++m_bits;
            m_growAt += uint64_t{1} << (m_bits - 1);
        }
        if (m_sent >= m_clearAt) SendClear();
    }
    void Flush() {
        const uint64_t n = m_runLength;
        if (n == 1)
            Plain(m_runPixel);
        else if (m_justCleared)
            FromClear(n);
        else if (m_tableMax >= 2 && m_tablePixel == m_runPixel)
            WithTable(n);
        else
            ClearOrRepeat(n);
        m_runLength = 0;
    }
    void ResetClearCount() {
        m_clearAt = m_clearInit;
        if (m_sent >= m_clearAt) SendClear();
    }
    void FromClear(uint64_t count) {
        m_clearAt = m_maxCodes;
        m_tablePixel = m_runPixel;
        uint64_t k = 1;
        while (count > 0) {
            if (k == 1) {
                m_tableMax = 1;
                Plain(m_runPixel);
                --count;
            } else if (count >= k) {
                m_tableMax = k;
                Plain(static_cast<int>(m_base + k - 2));
                count -= k;
            } else {
                ++m_tableMax;
                Plain(count == 1 ? m_runPixel : static_cast<int>(m_base + count - 2));
                count = 0;
            }
            k = m_sent == 0 ? 1 : k + 1;
        }
        ResetClearCount();
    }
    void WithTable(uint64_t count) {
        uint64_t repeats = count / m_tableMax;
        uint64_t rest = count % m_tableMax;
        uint64_t extra = rest ? 1 : 0;
        if (m_sent + repeats + extra > m_maxCodes) {
            repeats = m_maxCodes - m_sent;
            rest = count - repeats * m_tableMax;
            extra = 1 + TriangleCost(rest, m_maxCodes);
        }
        if (1 + TriangleCost(count, m_maxCodes) < repeats + extra) {
            SendClear();
            FromClear(count);
            return;
        }
        m_clearAt = m_maxCodes;
        for (uint64_t i = 0; i < repeats; ++i)
            Plain(static_cast<int>(m_base + m_tableMax - 2));
        if (rest) {
            if (m_justCleared)
                FromClear(rest);
            else
                Plain(rest == 1 ? m_runPixel : static_cast<int>(m_base + rest - 2));
        }
        ResetClearCount();
    }
    void ClearOrRepeat(uint64_t count) {
        if (1 + TriangleCost(count, m_maxCodes) < count) {
            SendClear();
            FromClear(count);
            return;
        }
        for (uint64_t i = 0; i < count; ++i)
            Plain(m_runPixel);
    }

    CodeWriter& m_w;
    const int m_clear;
    const int m_base;
    const int m_initBits;
    const uint64_t m_growInit;
    const uint64_t m_clearInit;
    const uint64_t m_maxCodes;
    int m_bits = 0;
    uint64_t m_growAt = 0;
    uint64_t m_clearAt = 0;
    uint64_t m_sent = 0;
    uint64_t m_tableMax = 0;
    int m_tablePixel = -1;
    bool m_justCleared = true;
    int m_runPixel = 0;
    uint64_t m_runLength = 0;
};

void EncodeRunLength(const uint8_t* px, size_t n, int initBits, CodeWriter& w) {
    RunLengthCoder coder(initBits, w);
    coder.Run(px, n);
}

} // namespace

CGifLzw::Result CGifLzw::Decode(CPixFile* hFile, std::vector<uint8_t>& pixels, int& badCodes) {
    const long minSize = hFile->GetC();
    if (minSize < 0) return kCutShort;
    CodeReader reader(hFile);
    // Sizes 10 and 11 start at 11 and 12 bits; at 11 the table may be full from the start.
    if (minSize < 2 || minSize > kMaxBits - 1) {
        reader.Finish();
        return kBadCodeSize;
    }
    const int clear = 1 << minSize;
    const int end = clear + 1;
    uint16_t prefix[kTableSize];
    uint8_t suffix[kTableSize];
    uint8_t stack[kTableSize + 1];
    // Root codes past the 256 entries a colour table can have stand for entry 0.
    for (int i = 0; i < clear; ++i) {
        prefix[i] = 0;
        suffix[i] = static_cast<uint8_t>(i < 256 ? i : 0);
    }

    int bits = static_cast<int>(minSize) + 1;
    int next = clear + 2;
    int prev = -1;
    uint8_t first = 0;
    size_t out = 0;
    const size_t count = pixels.size();
    for (;;) {
        int code = reader.Next(bits);
        if (code < 0 || code == end) break;
        if (code == clear) {
            bits = static_cast<int>(minSize) + 1;
            next = clear + 2;
            prev = -1;
            continue;
        }
        if (prev < 0) {
            // The first code after a clear is a pixel value; anything else is taken as 0.
            if (code >= next) code = 0;
            first = suffix[code < clear ? code : 0];
            if (out < count) pixels[out++] = first;
            prev = code < clear ? code : 0;
            continue;
        }
        if (code > next) {
            ++badCodes;
            break;
        }
        const int in = code;
        int sp = 0;
        if (code == next) {
            stack[sp++] = first;
            code = prev;
        }
        while (code >= clear && sp < kTableSize) {
            stack[sp++] = suffix[code];
            code = prefix[code];
        }
        first = suffix[code];
        stack[sp++] = first;
        if (next < kTableSize) {
            prefix[next] = static_cast<uint16_t>(prev);
            suffix[next] = first;
            ++next;
            if (next == (1 << bits) && bits < kMaxBits) ++bits;
        }
        prev = in;
        while (sp > 0) {
            --sp;
            if (out < count) pixels[out++] = stack[sp];
        }
    }
    return reader.Finish() ? kDecoded : kCutShort;
}

bool CGifLzw::Skip(CPixFile* hFile) {
    if (hFile->GetC() < 0) return false;
    CodeReader reader(hFile);
    return reader.Finish();
}

void CGifLzw::Encode(const uint8_t* pixels, size_t count, int minCodeSize, Mode mode, std::vector<uint8_t>& out) {
    out.push_back(static_cast<uint8_t>(minCodeSize));
    CodeWriter writer(out, mode == kRunLength ? 255 : 254);
    const int initBits = minCodeSize + 1;
    if (mode == kUncompressed)
        EncodeUncompressed(pixels, count, initBits, writer);
    else if (mode == kRunLength)
        EncodeRunLength(pixels, count, initBits, writer);
    else
        EncodeLzw(pixels, count, initBits, writer);
    writer.Finish();
}
