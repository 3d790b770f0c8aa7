#include "gfx/png_codec.h"

#include "gfx/image_limits.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace kestrana::gfx {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t ReadBe32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

void AppendBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v >> 24));
    out.push_back(std::uint8_t(v >> 16));
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

struct Header {
    std::uint32_t width = 0, height = 0;
    int depth = 0;
    int colorType = 0;
    bool interlaced = false;
    int channels = 0;
    [[nodiscard]] int BitsPerPixel() const { return depth * channels; }
    [[nodiscard]] std::size_t RowBytes(std::uint32_t w) const { return (std::size_t(w) * BitsPerPixel() + 7) / 8; }
};

bool ParseHeader(const std::uint8_t* d, std::uint32_t len, Header& h) {
    if (len != 13) {
        return false;
    }
    h.width = ReadBe32(d);
    h.height = ReadBe32(d + 4);
    h.depth = d[8];
    h.colorType = d[9];
    if (d[10] != 0 || d[11] != 0 || d[12] > 1) {
        return false;
    }
    h.interlaced = d[12] == 1;
    switch (h.colorType) {
    case 0:
        h.channels = 1;
        if (h.depth != 1 && h.depth != 2 && h.depth != 4 && h.depth != 8 && h.depth != 16) {
            return false;
        }
        break;
    case 3:
        h.channels = 1;
        if (h.depth != 1 && h.depth != 2 && h.depth != 4 && h.depth != 8) {
            return false;
        }
        break;
    case 2:
    case 4:
    case 6:
        h.channels = h.colorType == 2 ? 3 : (h.colorType == 4 ? 2 : 4);
        if (h.depth != 8 && h.depth != 16) {
            return false;
        }
        break;
    default:
        return false;
    }
    return ImageSizeAllowed(h.width, h.height);
}

struct Pass {
    int x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

std::uint32_t PassSize(std::uint32_t size, int start, int step) {
    return size > std::uint32_t(start) ? (size - std::uint32_t(start) + std::uint32_t(step) - 1) / std::uint32_t(step) : 0;
}

std::size_t RawSize(const Header& h) {
    std::size_t total = 0;
    const int passes = h.interlaced ? 7 : 1;
    for (int p = 0; p < passes; ++p) {
        const Pass& pass = h.interlaced ? kAdam7[p] : kWhole;
        const std::uint32_t w = PassSize(h.width, pass.x0, pass.dx);
        const std::uint32_t rows = PassSize(h.height, pass.y0, pass.dy);
        if (w && rows) {
            total += std::size_t(rows) * (1 + h.RowBytes(w));
        }
    }
    return total;
}

// Streams IDAT data through inflate; the output grows only as real data arrives, so a
// file that merely declares a huge size never gets a huge buffer.
class Inflater {
public:
    explicit Inflater(std::size_t expected) : m_expected(expected) {
        m_ok = inflateInit(&m_stream) == Z_OK;
    }
    ~Inflater() { inflateEnd(&m_stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    bool Feed(const std::uint8_t* data, std::size_t size) {
        if (!m_ok) {
            return false;
        }
        if (m_ended) {
            return true; // trailing data after the stream is ignored
        }
        m_stream.next_in = const_cast<Bytef*>(data);
        m_stream.avail_in = uInt(size);
        while (m_stream.avail_in > 0 && !m_ended) {
            if (m_filled == m_out.size()) {
                if (m_out.size() >= m_expected) {
                    return true; // everything needed is here
                }
                const std::size_t next = std::min(m_expected, std::max<std::size_t>(65536, m_out.size() * 2));
                m_out.resize(next);
            }
            m_stream.next_out = m_out.data() + m_filled;
            m_stream.avail_out = uInt(m_out.size() - m_filled);
            const int rc = inflate(&m_stream, Z_NO_FLUSH);
            m_filled = m_out.size() - m_stream.avail_out;
            if (rc == Z_STREAM_END) {
                m_ended = true;
            } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
                m_ok = false;
                return false;
            } else if (rc == Z_BUF_ERROR && m_stream.avail_out > 0) {
                break; // needs more input
            }
        }
        return true;
    }
    [[nodiscard]] bool Complete() const { return m_ok && m_filled >= m_expected; }
    [[nodiscard]] const std::uint8_t* Data() const { return m_out.data(); }

private:
    z_stream m_stream{};
    std::vector<std::uint8_t> m_out;
    std::size_t m_filled = 0;
    std::size_t m_expected = 0;
    bool m_ok = false;
    bool m_ended = false;
};

std::uint8_t Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return std::uint8_t(a);
    }
    return std::uint8_t(pb <= pc ? b : c);
}

bool Unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prev, std::size_t len, std::size_t bpp) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (std::size_t i = bpp; i < len; ++i) {
            row[i] = std::uint8_t(row[i] + row[i - bpp]);
        }
        return true;
    case 2:
        if (prev) {
            for (std::size_t i = 0; i < len; ++i) {
                row[i] = std::uint8_t(row[i] + prev[i]);
            }
        }
        return true;
    case 3:
        for (std::size_t i = 0; i < len; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int up = prev ? prev[i] : 0;
            row[i] = std::uint8_t(row[i] + ((left + up) >> 1));
        }
        return true;
    case 4:
        if (!prev) { // the first row: Paeth of nothing above is the left neighbour
            for (std::size_t i = bpp; i < len; ++i) row[i] = std::uint8_t(row[i] + row[i - bpp]);
            return true;
        }
        for (std::size_t i = 0; i < std::min(bpp, len); ++i) row[i] = std::uint8_t(row[i] + prev[i]);
        for (std::size_t i = bpp; i < len; ++i) {
            row[i] = std::uint8_t(row[i] + Paeth(row[i - bpp], prev[i], prev[i - bpp]));
        }
        return true;
    default:
        return false;
    }
}

struct Palette {
    std::array<Pixel, 256> entries{}; // premultiplied
    int size = 0;
};

struct Transparency {
    bool present = false;
    std::uint16_t gray = 0, r = 0, g = 0, b = 0;
};

class RowConverter {
public:
    RowConverter(const Header& h, const Palette& palette, const Transparency& trns)
        : m_h(h), m_palette(palette), m_trns(trns) {}

    // Converts one unfiltered row of `w` pixels; returns false on a bad palette index.
    bool Convert(const std::uint8_t* row, std::uint32_t w, Pixel* out, int outStep) const {
        if (m_h.colorType == 6 && m_h.depth == 8) {
            // 8-bit RGBA, what icons and the program's own files are: premultiplied in
            // place, skipping the per-sample dispatch (most of a decode otherwise).
            for (std::uint32_t x = 0; x < w; ++x, row += 4) {
                const unsigned a = row[3];
                const auto mul = [a](unsigned c) { return std::uint8_t((c * a + 127) / 255); };
                out[std::size_t(x) * outStep] = a == 255 ? MakePixel(row[0], row[1], row[2], 255)
                                                         : MakePixel(mul(row[0]), mul(row[1]), mul(row[2]), std::uint8_t(a));
            }
            return true;
        }
        for (std::uint32_t x = 0; x < w; ++x) {
            Pixel p;
            if (!PixelAt(row, x, p)) {
                return false;
            }
            out[std::size_t(x) * outStep] = p;
        }
        return true;
    }

private:
    [[nodiscard]] std::uint16_t Sample(const std::uint8_t* row, std::uint32_t index) const {
        const int depth = m_h.depth;
        if (depth == 8) {
            return row[index];
        }
        if (depth == 16) {
            return std::uint16_t((row[2 * index] << 8) | row[2 * index + 1]);
        }
        const std::size_t bit = std::size_t(index) * depth;
        const int shift = 8 - depth - int(bit % 8);
        return std::uint16_t((row[bit / 8] >> shift) & ((1 << depth) - 1));
    }
    [[nodiscard]] std::uint8_t To8(std::uint16_t v) const {
        switch (m_h.depth) {
        case 1: return v ? 255 : 0;
        case 2: return std::uint8_t(v * 85);
        case 4: return std::uint8_t(v * 17);
        case 16: return std::uint8_t(v >> 8);
        default: return std::uint8_t(v);
        }
    }
    bool PixelAt(const std::uint8_t* row, std::uint32_t x, Pixel& out) const {
        const std::uint32_t c = std::uint32_t(m_h.channels);
        switch (m_h.colorType) {
        case 0: {
            const std::uint16_t s = Sample(row, x);
            const std::uint8_t v = To8(s);
            const bool clear = m_trns.present && s == m_trns.gray;
            out = clear ? 0 : MakePixel(v, v, v, 255);
            return true;
        }
        case 2: {
            const std::uint16_t r = Sample(row, x * c), g = Sample(row, x * c + 1), b = Sample(row, x * c + 2);
            const bool clear = m_trns.present && r == m_trns.r && g == m_trns.g && b == m_trns.b;
            out = clear ? 0 : MakePixel(To8(r), To8(g), To8(b), 255);
            return true;
        }
        case 3: {
            const std::uint16_t i = Sample(row, x);
            if (i >= m_palette.size) {
                return false;
            }
            out = m_palette.entries[i];
            return true;
        }
        case 4: {
            const std::uint8_t v = To8(Sample(row, x * c));
            const std::uint8_t a = To8(Sample(row, x * c + 1));
            out = Color{v, v, v, a}.Premultiplied();
            return true;
        }
        default: {
            out = Color{To8(Sample(row, x * c)), To8(Sample(row, x * c + 1)), To8(Sample(row, x * c + 2)),
                        To8(Sample(row, x * c + 3))}
                      .Premultiplied();
            return true;
        }
        }
    }

    const Header& m_h;
    const Palette& m_palette;
    const Transparency& m_trns;
};

std::optional<Bitmap> Reconstruct(const Header& h, std::uint8_t* raw, const Palette& palette,
                                  const Transparency& trns) {
    Bitmap out(int(h.width), int(h.height));
    const RowConverter converter(h, palette, trns);
    const std::size_t bpp = std::max(1, h.BitsPerPixel() / 8);
    std::size_t offset = 0;
    const int passes = h.interlaced ? 7 : 1;
    for (int p = 0; p < passes; ++p) {
        const Pass& pass = h.interlaced ? kAdam7[p] : kWhole;
        const std::uint32_t w = PassSize(h.width, pass.x0, pass.dx);
        const std::uint32_t rows = PassSize(h.height, pass.y0, pass.dy);
        if (!w || !rows) {
            continue;
        }
        const std::size_t len = h.RowBytes(w);
        const std::uint8_t* prev = nullptr;
        for (std::uint32_t r = 0; r < rows; ++r) {
            std::uint8_t* line = raw + offset;
            if (!Unfilter(line[0], line + 1, prev, len, bpp)) {
                return std::nullopt;
            }
            Pixel* dst = out.Row(int(pass.y0 + r * std::uint32_t(pass.dy))) + pass.x0;
            if (!converter.Convert(line + 1, w, dst, pass.dx)) {
                return std::nullopt;
            }
            prev = line + 1;
            offset += len + 1;
        }
    }
    return out;
}

bool ChunkIs(const std::uint8_t* type, std::string_view name) {
    return std::memcmp(type, name.data(), 4) == 0;
}

void AppendChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::size_t len) {
    AppendBe32(out, std::uint32_t(len));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (len) {
        out.insert(out.end(), data, data + len);
    }
    AppendBe32(out, std::uint32_t(crc32(0, out.data() + start, uInt(len + 4))));
}

} // namespace

bool LooksLikePng(std::span<const std::uint8_t> data) {
    return data.size() >= kSignature.size() && std::equal(kSignature.begin(), kSignature.end(), data.begin());
}

namespace {

// A palette chunk; false when the picture cannot do without it and it is unusable.
bool ReadPalette(const Header& header, const std::uint8_t* body, std::uint32_t len, bool afterData, Palette& palette) {
    if (len % 3 != 0 || len == 0 || len > 768 || afterData) return header.colorType != 3;
    palette.size = int(len / 3);
    for (int i = 0; i < palette.size; ++i) {
        palette.entries[i] = MakePixel(body[3 * i], body[3 * i + 1], body[3 * i + 2], 255);
    }
    return true;
}

// A transparency chunk: alpha for palette entries, or the one transparent colour.
void ReadTransparency(const Header& header, const std::uint8_t* body, std::uint32_t len, Palette& palette,
                      Transparency& trns) {
    if (header.colorType == 3) {
        for (std::uint32_t i = 0; i < len && int(i) < palette.size; ++i) {
            const Color c = Unpremultiply(palette.entries[i]);
            palette.entries[i] = Color{c.r, c.g, c.b, body[i]}.Premultiplied();
        }
    } else if (header.colorType == 0 && len == 2) {
        trns.present = true;
        trns.gray = std::uint16_t((body[0] << 8) | body[1]);
    } else if (header.colorType == 2 && len == 6) {
        trns.present = true;
        trns.r = std::uint16_t((body[0] << 8) | body[1]);
        trns.g = std::uint16_t((body[2] << 8) | body[3]);
        trns.b = std::uint16_t((body[4] << 8) | body[5]);
    }
}

// What the chunks seen so far have given.
struct PngState {
    Header header;
    bool haveHeader = false;
    Palette palette;
    Transparency trns;
    std::optional<Inflater> inflater;
    bool idatSeen = false;
    bool idatDone = false;
};

enum class ChunkVerdict { Next, End, Broken };

ChunkVerdict TakeChunk(PngState& st, const std::uint8_t* type, const std::uint8_t* body, std::uint32_t len) {
    if (!st.haveHeader) {
        if (!ChunkIs(type, "IHDR") || !ParseHeader(body, len, st.header)) return ChunkVerdict::Broken;
        st.haveHeader = true;
        return ChunkVerdict::Next;
    }
    if (ChunkIs(type, "IDAT")) {
        if (st.idatDone || (st.header.colorType == 3 && st.palette.size == 0)) return ChunkVerdict::Broken;
        if (!st.inflater) st.inflater.emplace(RawSize(st.header));
        st.idatSeen = true;
        return st.inflater->Feed(body, len) ? ChunkVerdict::Next : ChunkVerdict::Broken;
    }
    if (st.idatSeen) st.idatDone = true; // IDAT chunks must be consecutive
    if (ChunkIs(type, "IEND")) return ChunkVerdict::End;
    if (ChunkIs(type, "PLTE"))
        return ReadPalette(st.header, body, len, st.idatSeen, st.palette) ? ChunkVerdict::Next : ChunkVerdict::Broken;
    if (ChunkIs(type, "tRNS")) {
        ReadTransparency(st.header, body, len, st.palette, st.trns);
        return ChunkVerdict::Next;
    }
    // An unknown chunk may be ignored unless it is marked critical.
    return (type[0] & 0x20) == 0 ? ChunkVerdict::Broken : ChunkVerdict::Next;
}

} // namespace

std::optional<Bitmap> DecodePng(std::span<const std::uint8_t> data, const PngReadOptions& options) {
    if (!LooksLikePng(data)) return std::nullopt;
    PngState st;
    std::size_t pos = kSignature.size();
    while (pos + 12 <= data.size()) {
        const std::uint32_t len = ReadBe32(&data[pos]);
        const std::uint8_t* type = &data[pos + 4];
        if (len > 0x7FFFFFFFu || data.size() - pos - 12 < len) return std::nullopt; // truncated chunk
        const std::uint8_t* body = &data[pos + 8];
        pos += 12 + std::size_t(len);
        if (options.verifyChecksums && std::uint32_t(crc32(0, type, uInt(len + 4))) != ReadBe32(body + len)) {
            if ((type[0] & 0x20) == 0) return std::nullopt;
            continue; // a damaged optional chunk is skipped
        }
        const ChunkVerdict verdict = TakeChunk(st, type, body, len);
        if (verdict == ChunkVerdict::Broken) return std::nullopt;
        if (verdict == ChunkVerdict::End) break;
    }
    if (!st.haveHeader || !st.inflater || !st.inflater->Complete()) return std::nullopt;
    return Reconstruct(st.header, const_cast<std::uint8_t*>(st.inflater->Data()), st.palette, st.trns);
}

std::vector<std::uint8_t> EncodePng(const Bitmap& bitmap) {
    std::vector<std::uint8_t> out;
    if (bitmap.Empty()) {
        return out;
    }
    const std::size_t rowBytes = std::size_t(bitmap.Width()) * 4;
    std::vector<std::uint8_t> raw;
    raw.reserve((rowBytes + 1) * std::size_t(bitmap.Height()));
    std::vector<std::uint8_t> cur(rowBytes), prev(rowBytes, 0), best(rowBytes), trial(rowBytes);
    for (int y = 0; y < bitmap.Height(); ++y) {
        const Pixel* row = bitmap.Row(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            const Color c = Unpremultiply(row[x]);
            cur[4 * x] = c.r;
            cur[4 * x + 1] = c.g;
            cur[4 * x + 2] = c.b;
            cur[4 * x + 3] = c.a;
        }
        // Per row, the filter with the smallest sum of magnitudes usually deflates best.
        std::uint64_t bestScore = ~std::uint64_t(0);
        std::uint8_t bestFilter = 0;
        for (std::uint8_t f = 0; f < 5; ++f) {
            std::uint64_t score = 0;
            for (std::size_t i = 0; i < rowBytes; ++i) {
                const int a = i >= 4 ? cur[i - 4] : 0;
                const int b = y > 0 ? prev[i] : 0;
                const int c = (i >= 4 && y > 0) ? prev[i - 4] : 0;
                int predicted = 0;
                switch (f) {
                case 1: predicted = a; break;
                case 2: predicted = b; break;
                case 3: predicted = (a + b) >> 1; break;
                case 4: predicted = Paeth(a, b, c); break;
                default: break;
                }
                trial[i] = std::uint8_t(cur[i] - predicted);
                score += std::uint64_t(std::abs(int(std::int8_t(trial[i]))));
            }
            if (score < bestScore) {
                bestScore = score;
                bestFilter = f;
                best.swap(trial);
            }
        }
        raw.push_back(bestFilter);
        raw.insert(raw.end(), best.begin(), best.end());
        prev.swap(cur);
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), uLong(raw.size()), 6) != Z_OK) {
        return {};
    }
    packed.resize(packedSize);

    out.assign(kSignature.begin(), kSignature.end());
    std::uint8_t ihdr[13];
    const std::uint32_t w = std::uint32_t(bitmap.Width()), h = std::uint32_t(bitmap.Height());
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = std::uint8_t(w >> (24 - 8 * i));
        ihdr[4 + i] = std::uint8_t(h >> (24 - 8 * i));
    }
    ihdr[8] = 8;  // bit depth
    ihdr[9] = 6;  // RGBA
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    AppendChunk(out, "IHDR", ihdr, sizeof ihdr);
    AppendChunk(out, "IDAT", packed.data(), packed.size());
    AppendChunk(out, "IEND", nullptr, 0);
    return out;
}

} // namespace kestrana::gfx
