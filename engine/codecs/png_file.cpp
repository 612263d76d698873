#include "engine/codecs/png_file.h"

#include "imaging/byte_order.h"
#include "imaging/checksum.h"
#include "imaging/png_chunk_walk.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace imaging {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Deflate {
    libdeflate_decompressor *d = libdeflate_alloc_decompressor();
    ~Deflate() { libdeflate_free_decompressor(d); }
};

// A zlib stream inflated whole; nothing when it is damaged or holds more or
// less than `size` bytes (`exact`), or more than `size` (not `exact`).
bool inflate(const std::uint8_t *in, size_t inSize, void *out, size_t size, bool exact, size_t *produced = nullptr)
{
    Deflate deflate;
    size_t actual = 0;
    if (!deflate.d || libdeflate_zlib_decompress(deflate.d, in, inSize, out, size, &actual) != LIBDEFLATE_SUCCESS
        || (exact && actual != size))
        return false;
    if (produced)
        *produced = actual;
    return true;
}

struct Header {
    std::uint32_t width = 0, height = 0;
    int depth = 0, colourType = 0;
    bool interlaced = false;

    int channels() const
    {
        switch (colourType) {
        case 0:
        case 3: return 1;
        case 2: return 3;
        case 4: return 2;
        case 6: return 4;
        default: return 0;
        }
    }
    bool valid() const
    {
        const int d = depth;
        const bool depthFits = colourType == 0   ? d == 1 || d == 2 || d == 4 || d == 8 || d == 16
                               : colourType == 3 ? d == 1 || d == 2 || d == 4 || d == 8
                                                 : d == 8 || d == 16;
        return width > 0 && height > 0 && width <= 0x7FFFFFFF && height <= 0x7FFFFFFF && channels() > 0 && depthFits;
    }
    size_t rowBytes() const { return (size_t(width) * size_t(channels()) * size_t(depth) + 7) / 8; }
};

std::uint8_t paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return std::uint8_t(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// One row's filter undone: `in` filtered, `out` the row (which may lie a
// byte before `in`, as rows are undone in place), `prev` the row above.
template <size_t Bpp>
bool unfilterRow(std::uint8_t filter, const std::uint8_t *in, std::uint8_t *out, const std::uint8_t *prev, size_t n)
{
    switch (filter) {
    case 0: std::memmove(out, in, n); return true;
    case 1:
        for (size_t i = 0; i < n; ++i)
            out[i] = std::uint8_t(in[i] + (i >= Bpp ? out[i - Bpp] : 0));
        return true;
    case 2:
        for (size_t i = 0; i < n; ++i)
            out[i] = std::uint8_t(in[i] + prev[i]);
        return true;
    case 3:
        for (size_t i = 0; i < n; ++i)
            out[i] = std::uint8_t(in[i] + ((i >= Bpp ? out[i - Bpp] : 0) + prev[i]) / 2);
        return true;
    case 4:
        for (size_t i = 0; i < n; ++i)
            out[i] = std::uint8_t(in[i] + (i >= Bpp ? paeth(out[i - Bpp], prev[i], prev[i - Bpp]) : prev[i]));
        return true;
    default: return false;
    }
}

bool unfilterRow(size_t bpp, std::uint8_t filter, const std::uint8_t *in, std::uint8_t *out, const std::uint8_t *prev,
                 size_t n)
{
    switch (bpp) {
    case 1: return unfilterRow<1>(filter, in, out, prev, n);
    case 2: return unfilterRow<2>(filter, in, out, prev, n);
    case 3: return unfilterRow<3>(filter, in, out, prev, n);
    case 4: return unfilterRow<4>(filter, in, out, prev, n);
    case 6: return unfilterRow<6>(filter, in, out, prev, n);
    default: return unfilterRow<8>(filter, in, out, prev, n);
    }
}

// The chunks the decoder uses, found and checked.
struct Chunks {
    Header header;
    std::vector<std::pair<const std::uint8_t *, size_t>> data; // IDAT
    std::span<const std::uint8_t> palette, transparency, profile;
};

std::optional<Chunks> chunksOf(QByteArrayView file)
{
    const ByteReader png(file.data(), size_t(file.size()));
    const auto signature = png.bytes<8>(0);
    if (!signature || !std::equal(signature->begin(), signature->end(), kSignature.begin()))
        return std::nullopt;
    Chunks chunks;
    bool ended = false, first = true;
    for (PngChunkWalk walk(png); !ended;) {
        const auto chunk = walk.next();
        if (!chunk)
            return std::nullopt;
        const std::span<const std::uint8_t> data = *png.bytes(chunk->data(), chunk->length);
        const bool critical = (chunk->type >> 24 & 0x20) == 0;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
        // A fuzzer would hardly ever get a mutated chunk past its checksum.
        const bool intact = true;
#else
        const bool intact = pngChunkCrcHolds(png, *chunk);
#endif
        auto is = [&](const char *name) { return chunk->is(name); };
        if (!intact && critical)
            return std::nullopt;
        if (first != is("IHDR"))
            return std::nullopt;
        first = false;
        if (is("IHDR")) {
            if (data.size() < 13 || data[10] != 0 || data[11] != 0)
                return std::nullopt;
            chunks.header = {be32(data.first<4>()), be32(data.subspan<4, 4>()), data[8], data[9], data[12] != 0};
        } else if (is("PLTE")) {
            chunks.palette = data;
        } else if (is("IDAT")) {
            chunks.data.emplace_back(data.data(), data.size());
        } else if (is("IEND")) {
            ended = true;
        } else if (intact && is("tRNS")) {
            chunks.transparency = data;
        } else if (intact && is("iCCP") && chunks.profile.empty()) {
            chunks.profile = data;
        }
    }
    if (!chunks.header.valid() || chunks.data.empty())
        return std::nullopt;
    if (chunks.header.colourType == 3 && (chunks.palette.empty() || chunks.palette.size() % 3 != 0))
        return std::nullopt;
    return chunks;
}

// An iCCP chunk's profile: a name, a zero, the method (0), then zlib data.
// Profiles of real pictures take kilobytes, a few with large tables a
// megabyte or two; one that inflates to more than 4 MB is ignored, so that a
// small chunk cannot make the decoder take hundreds of megabytes.
QByteArray profileOf(std::span<const std::uint8_t> chunk)
{
    const auto end = std::find(chunk.begin(), chunk.end(), 0);
    if (end == chunk.end() || end + 2 > chunk.end() || end[1] != 0)
        return {};
    const std::uint8_t *in = &*end + 2;
    const size_t inSize = size_t(chunk.end() - (end + 2));
    for (size_t size = 64 * 1024; size <= 4 * 1024 * 1024; size *= 4) {
        QByteArray profile(qsizetype(size), Qt::Uninitialized);
        size_t produced = 0;
        if (inflate(in, inSize, profile.data(), size, false, &produced)) {
            profile.truncate(qsizetype(produced));
            return profile;
        }
    }
    return {};
}

// The image data inflated into `rows`: one stream over all the IDAT chunks.
bool inflateImageData(const Chunks &chunks, std::uint8_t *rows, size_t filteredSize)
{
    std::vector<std::uint8_t> joined;
    const std::uint8_t *stream = chunks.data.front().first;
    size_t streamSize = chunks.data.front().second;
    if (chunks.data.size() > 1) {
        for (const auto &[data, size] : chunks.data)
            joined.insert(joined.end(), data, data + size);
        stream = joined.data();
        streamSize = joined.size();
    }
    return inflate(stream, streamSize, rows, filteredSize, true);
}

// Each row's filter undone in place, one byte before where it was read.
bool unfilterRows(const Header &h, std::uint8_t *rows)
{
    const size_t rowBytes = h.rowBytes();
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    const size_t bpp = std::max<size_t>(1, size_t(h.channels()) * size_t(h.depth) / 8);
    for (size_t y = 0; y < h.height; ++y) {
        const std::uint8_t *in = rows + y * (rowBytes + 1);
        std::uint8_t *out = rows + y * rowBytes;
        if (!unfilterRow(bpp, in[0], in + 1, out, y ? out - rowBytes : zeros.data(), rowBytes))
            return false;
    }
    return true;
}

// Palettes, grey of fewer than 8 bits and transparent colours take a
// picture of their own, built from the back so that it can share the
// buffer: every value moves to the same place or further on.
void expandPixels(const Chunks &chunks, std::uint8_t *rows, int bands, bool keyed)
{
    const Header &h = chunks.header;
    const size_t rowBytes = h.rowBytes();
    const bool palette = h.colourType == 3;
    const bool wide = h.depth == 16;
    const int depth = h.depth;
    const std::span<const std::uint8_t> trns = chunks.transparency;
    auto sample = [&](size_t y, size_t x) -> unsigned {
        const std::uint8_t *row = rows + y * rowBytes;
        if (depth >= 8)
            return row[x];
        const size_t bit = x * size_t(depth);
        return unsigned(row[bit / 8] >> (8 - depth - int(bit % 8))) & ((1u << depth) - 1);
    };
    std::uint8_t *out = rows;
    auto *out16 = reinterpret_cast<std::uint16_t *>(rows);
    for (size_t y = h.height; y-- > 0;) {
        for (size_t x = h.width; x-- > 0;) {
            const size_t at = (y * h.width + x) * size_t(bands);
            if (palette) {
                const unsigned index = sample(y, x);
                const bool known = 3 * index + 2 < chunks.palette.size();
                const std::uint8_t alpha = index < trns.size() ? trns[index] : 255;
                for (int b = 0; b < 3; ++b)
                    out[at + size_t(b)] = known ? chunks.palette[3 * index + size_t(b)] : 0;
                if (bands == 4)
                    out[at + 3] = alpha;
            } else if (wide) {
                // 16-bit grey or RGB with a transparent colour.
                const std::uint16_t *p = out16 + (y * h.width + x) * size_t(h.channels());
                bool clear = trns.size() >= size_t(2 * h.channels());
                std::array<std::uint16_t, 3> v{};
                for (int b = 0; b < h.channels(); ++b) {
                    v[size_t(b)] = p[b];
                    clear = clear && v[size_t(b)] == (trns[2 * size_t(b)] << 8 | trns[2 * size_t(b) + 1]);
                }
                for (int b = 0; b < h.channels(); ++b)
                    out16[at + size_t(b)] = v[size_t(b)];
                out16[at + size_t(h.channels())] = clear ? 0 : 0xFFFF;
            } else if (h.colourType == 0) {
                const unsigned value = sample(y, x);
                const bool clear = trns.size() >= 2 && value == unsigned(trns[0] << 8 | trns[1]);
                out[at] = std::uint8_t(value * 255 / ((1u << depth) - 1));
                if (keyed)
                    out[at + 1] = clear ? 0 : 255;
            } else {
                const std::uint8_t *p = rows + y * rowBytes + x * 3;
                const std::array<std::uint8_t, 3> v{p[0], p[1], p[2]};
                bool clear = trns.size() >= 6;
                for (size_t b = 0; b < 3; ++b)
                    clear = clear && v[b] == (trns[2 * b] << 8 | trns[2 * b + 1]);
                std::copy(v.begin(), v.end(), out + at);
                out[at + 3] = clear ? 0 : 255;
            }
        }
    }
}

} // namespace

std::optional<DecodedPng> decodePng(QByteArrayView file, size_t maxBytes)
{
    const std::optional<Chunks> chunks = chunksOf(file);
    if (!chunks || chunks->header.interlaced)
        return std::nullopt;
    const Header &h = chunks->header;
    const size_t rowBytes = h.rowBytes();
    const size_t filteredSize = (rowBytes + 1) * size_t(h.height);
    const bool palette = h.colourType == 3;
    const bool keyed = !palette && !chunks->transparency.empty() && (h.colourType == 0 || h.colourType == 2);
    const int bands = palette ? (chunks->transparency.empty() ? 3 : 4) : h.channels() + (keyed ? 1 : 0);
    const bool wide = h.depth == 16;
    const size_t outSize = size_t(h.width) * size_t(h.height) * size_t(bands) * (wide ? 2 : 1);
    if (filteredSize / (rowBytes + 1) != h.height || outSize > maxBytes || filteredSize > maxBytes)
        return std::nullopt;

    DecodedPng png;
    png.pixels.reset(static_cast<unsigned char *>(g_try_malloc(std::max(filteredSize, outSize))));
    if (!png.pixels || !inflateImageData(*chunks, png.pixels.get(), filteredSize))
        return std::nullopt;

    std::uint8_t *rows = png.pixels.get();
    if (!unfilterRows(h, rows))
        return std::nullopt;

    png.width = int(h.width);
    png.height = int(h.height);
    png.bands = bands;
    png.wide = wide;
    if (!chunks->profile.empty())
        png.profile = profileOf(chunks->profile);
    const size_t pixels = size_t(h.width) * size_t(h.height);
    if (wide) {
        // Big-endian samples into the machine's order.
        auto *values = reinterpret_cast<std::uint16_t *>(rows);
        for (size_t i = 0; i < pixels * size_t(h.channels()); ++i)
            values[i] = std::uint16_t(rows[2 * i] << 8 | rows[2 * i + 1]);
    }
    if (!palette && !keyed && h.depth >= 8)
        return png;

    expandPixels(*chunks, rows, bands, keyed);
    return png;
}

QByteArray encodePng(const unsigned char *pixels, int width, int height, int bands, int level)
{
    const size_t rowBytes = size_t(width) * size_t(bands);
    const size_t bpp = size_t(bands);
    std::vector<std::uint8_t> filtered((rowBytes + 1) * size_t(height));
    std::array<std::vector<std::uint8_t>, 5> trial;
    for (auto &t : trial)
        t.resize(rowBytes);
    const std::vector<std::uint8_t> zeros(rowBytes, 0);
    for (size_t y = 0; y < size_t(height); ++y) {
        const std::uint8_t *row = pixels + y * rowBytes;
        const std::uint8_t *prev = y ? row - rowBytes : zeros.data();
        for (size_t i = 0; i < rowBytes; ++i) {
            const int left = i >= bpp ? row[i - bpp] : 0;
            const int upperLeft = i >= bpp ? prev[i - bpp] : 0;
            trial[0][i] = row[i];
            trial[1][i] = std::uint8_t(row[i] - left);
            trial[2][i] = std::uint8_t(row[i] - prev[i]);
            trial[3][i] = std::uint8_t(row[i] - (left + prev[i]) / 2);
            trial[4][i] = std::uint8_t(row[i] - paeth(left, prev[i], upperLeft));
        }
        size_t best = 0;
        long bestSum = -1;
        for (size_t f = 0; f < trial.size(); ++f) {
            long sum = 0;
            for (std::uint8_t v : trial[f])
                sum += std::abs(int(std::int8_t(v)));
            if (bestSum < 0 || sum < bestSum) {
                bestSum = sum;
                best = f;
            }
        }
        std::uint8_t *to = filtered.data() + y * (rowBytes + 1);
        to[0] = std::uint8_t(best);
        std::copy(trial[best].begin(), trial[best].end(), to + 1);
    }

    libdeflate_compressor *compressor = libdeflate_alloc_compressor(std::clamp(level, 1, 12));
    std::vector<std::uint8_t> data(libdeflate_zlib_compress_bound(compressor, filtered.size()));
    data.resize(libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(), data.data(), data.size()));
    libdeflate_free_compressor(compressor);

    QByteArray png(reinterpret_cast<const char *>(kSignature.data()), qsizetype(kSignature.size()));
    auto chunk = [&](const char *type, const std::uint8_t *body, size_t size) {
        QByteArray bytes;
        bytes.reserve(qsizetype(size + 12));
        for (int shift : {24, 16, 8, 0})
            bytes.append(char(size >> shift));
        bytes.append(type, 4).append(reinterpret_cast<const char *>(body), qsizetype(size));
        const std::uint32_t crc = crc32(std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()) + 4, size + 4));
        for (int shift : {24, 16, 8, 0})
            bytes.append(char(crc >> shift));
        png.append(bytes);
    };
    const std::uint8_t header[13] = {std::uint8_t(width >> 24),
                                     std::uint8_t(width >> 16),
                                     std::uint8_t(width >> 8),
                                     std::uint8_t(width),
                                     std::uint8_t(height >> 24),
                                     std::uint8_t(height >> 16),
                                     std::uint8_t(height >> 8),
                                     std::uint8_t(height),
                                     8,
                                     // grey, grey and alpha, RGB, RGBA
                                     std::array<std::uint8_t, 4>{0, 4, 2, 6}[size_t(std::clamp(bands, 1, 4) - 1)],
                                     0,
                                     0,
                                     0};
    chunk("IHDR", header, sizeof header);
    // Image data in chunks of at most a megabyte, as readers buffer them.
    constexpr size_t kChunk = 1 << 20;
    for (size_t at = 0; at < data.size() || at == 0; at += kChunk)
        chunk("IDAT", data.data() + at, std::min(kChunk, data.size() - at));
    chunk("IEND", nullptr, 0);
    return png;
}

} // namespace imaging
