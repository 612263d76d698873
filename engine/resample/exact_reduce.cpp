#include "engine/resample/exact_reduce.h"

#include <glib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <type_traits>
#include <vector>

using vips::VImage;

namespace imaging {

namespace {

double lanczos3(double x)
{
    x = std::abs(x);
    if (x < 1e-9)
        return 1.0;
    if (x >= 3.0)
        return 0.0;
    const double px = std::numbers::pi * x;
    return 3.0 * std::sin(px) * std::sin(px / 3.0) / (px * px);
}

// The weights of every output pixel along one direction: output pixel j sums
// `count[j]` source pixels from `first[j]` on, with `of(j)[t]`.
struct Kernel {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights;
    int stride = 1;

    const float *of(int j) const { return weights.data() + size_t(j) * size_t(stride); }
    int last(int j) const { return first[size_t(j)] + count[size_t(j)] - 1; }
};

Kernel identityKernel(int size)
{
    Kernel k;
    k.weights.assign(size_t(size), 1.0f);
    k.count.assign(size_t(size), 1);
    for (int j = 0; j < size; ++j)
        k.first.push_back(j);
    return k;
}

// Lanczos3 from `pixels` source pixels standing for `span` of them onto `size`
// output pixels, at the scale span / size (at least 1: enlarging is not done
// here). A mean of n pixels is their box filter, whose response falls as
// 1 - 2 pi^2 s^2 f^2 for its variance s^2 = (n^2 - 1) / (12 n^2) in the mean's
// pixels; the taps (-a, 1 + 2a, -a) rise as 1 + 4 pi^2 a f^2, so a = s^2 / 2
// undoes it within the kernel's band.
Kernel lanczosKernel(int pixels, double span, int size, int averaged)
{
    Kernel k;
    const double scale = std::max(span / size, 1.0);
    const double support = 3.0 * scale;
    // The last pixel covers what is left of the span past the others.
    const double lastCover = std::clamp(span - (pixels - 1), 0.0, 1.0);
    auto centreOf = [&](int i) { return i == pixels - 1 ? i + lastCover / 2 : i + 0.5; };
    auto coverOf = [&](int i) { return i == pixels - 1 ? lastCover : 1.0; };
    const double a = (double(averaged) * averaged - 1) / (24.0 * averaged * averaged);
    const int reach = averaged > 1 ? 1 : 0;
    k.stride = int(std::ceil(2 * support)) + 2 + 2 * reach;
    k.weights.assign(size_t(size) * size_t(k.stride), 0.0f);
    std::vector<double> lanczos(size_t(k.stride)), w(size_t(k.stride));
    for (int j = 0; j < size; ++j) {
        const double centre = (j + 0.5) * span / size;
        const int lo = std::clamp(int(std::floor(centre - support)) - reach, 0, pixels - 1);
        const int hi = std::clamp(int(std::ceil(centre + support)) + reach, lo + 1, pixels);
        const int n = std::min(hi - lo, k.stride);
        for (int t = 0; t < n; ++t)
            lanczos[size_t(t)] = coverOf(lo + t) * lanczos3((centreOf(lo + t) - centre) / scale);
        double sum = 0;
        for (int t = 0; t < n; ++t) {
            const double before = t > 0 ? lanczos[size_t(t - 1)] : 0.0;
            const double after = t + 1 < n ? lanczos[size_t(t + 1)] : 0.0;
            w[size_t(t)] = (1 + 2 * a) * lanczos[size_t(t)] - a * (before + after);
            sum += w[size_t(t)];
        }
        // A kernel that found no weight (a pixel far past a tiny span) takes
        // the nearest pixel.
        if (std::abs(sum) < 1e-12) {
            std::fill(w.begin(), w.end(), 0.0);
            w[size_t(std::clamp(int(centre) - lo, 0, n - 1))] = sum = 1.0;
        }
        k.first.push_back(lo);
        k.count.push_back(n);
        for (int t = 0; t < n; ++t)
            k.weights[size_t(j) * size_t(k.stride) + size_t(t)] = float(w[size_t(t)] / sum);
    }
    return k;
}

// One direction's plan: far reductions first average whole groups of
// `group` source pixels (a box filter, which the kernel then undoes as for
// libjpeg's means), leaving Lanczos3 at least three times; the kernel runs
// over the groups.
struct Axis {
    int group = 1;
    int groups = 0;
    float lastCover = 1; // of the last source pixel
    Kernel kernel;
};

Axis planAxis(int pixels, AxisSpan axis)
{
    Axis plan;
    plan.groups = pixels;
    if (axis.size == pixels && axis.span == pixels) {
        plan.kernel = identityKernel(pixels);
        return plan;
    }
    plan.lastCover = float(std::clamp(axis.span - (pixels - 1), 0.0, 1.0));
    plan.group = std::max(1, int(axis.span / axis.size / 3.0));
    plan.groups = (pixels + plan.group - 1) / plan.group;
    plan.kernel
        = lanczosKernel(plan.groups, axis.span / plan.group, axis.size, std::max(axis.averaged, 1) * plan.group);
    return plan;
}

// The inner loops, built for the processor's widest vectors where it has
// them.
#define TARVEL_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))

TARVEL_VECTOR_CLONES void setScaled(float *__restrict out, const float *__restrict in, float w, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = w * in[i];
}

TARVEL_VECTOR_CLONES void addScaled(float *__restrict out, const float *__restrict in, float w, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] += w * in[i];
}

TARVEL_VECTOR_CLONES void widen8(float *__restrict out, const unsigned char *__restrict in, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = float(in[i]);
}

TARVEL_VECTOR_CLONES void widen16(float *__restrict out, const unsigned short *__restrict in, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = float(in[i]);
}

void widen(float *out, const unsigned char *in, size_t n) { widen8(out, in, n); }
void widen(float *out, const unsigned short *in, size_t n) { widen16(out, in, n); }
void widen(float *out, const float *in, size_t n) { std::copy(in, in + n, out); }

// Pictures with more bands are reduced a few bands at a time.
constexpr int kMaxBands = 8;

// Four floats in one vector register.
typedef float Float4 __attribute__((vector_size(16)));

Float4 load4(const float *p)
{
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Rows are held as floats, `bands` per pixel, with one float to spare at
// the end: three bands are summed four at a time, the fourth lane (the next
// pixel's first band) thrown away.
template <typename T> class Reducer {
public:
    Reducer(const VImage &image, bool alpha, AxisSpan width, AxisSpan height)
        : m_width(image.width()),
          m_height(image.height()),
          m_bands(image.bands()),
          m_alpha(alpha),
          m_h(planAxis(m_width, width)),
          m_v(planAxis(m_height, height)),
          m_outWidth(width.size),
          m_outHeight(height.size)
    { }

    // Fills `out`, m_outWidth x m_outHeight x bands values of T.
    void run(const VImage &image, T *out)
    {
        const size_t row = size_t(m_width) * size_t(m_bands);
        const size_t stride = row + 1;
        int ringRows = 1;
        for (int j = 0; j < m_outHeight; ++j)
            ringRows = std::max(ringRows, m_v.kernel.count[size_t(j)]);
        std::vector<float> ring(size_t(ringRows) * stride, 0.0f), group(stride, 0.0f), sums(stride, 0.0f);
        std::vector<float> across(size_t(m_h.groups) * size_t(m_bands) + 1, 0.0f);

        const vips::VRegion region = image.region();
        constexpr int kWindow = 16;
        int next = 0;      // the first output row not made yet
        float covered = 0; // source rows in the group under way
        const int needed = m_v.kernel.last(m_outHeight - 1) * m_v.group + m_v.group;
        for (int top = 0; top < std::min(m_height, needed) && next < m_outHeight; top += kWindow) {
            const int rows = std::min(kWindow, m_height - top);
            region.prepare(0, top, m_width, rows);
            for (int y = top; y < top + rows && next < m_outHeight; ++y) {
                const int g = y / m_v.group;
                float *slot = ring.data() + size_t(g % ringRows) * stride;
                const auto *in = reinterpret_cast<const T *>(region.addr(0, y));
                if (m_v.group == 1) {
                    toFloat(in, slot);
                } else {
                    // Weighted by cover: only the last row may be partial.
                    const float cover = y == m_height - 1 ? m_v.lastCover : 1.0f;
                    toFloat(in, sums.data());
                    addScaled(group.data(), sums.data(), cover, row);
                    covered += cover;
                    if ((y + 1) % m_v.group != 0 && y != m_height - 1)
                        continue;
                    setScaled(slot, group.data(), 1.0f / covered, row);
                    std::fill(group.begin(), group.end(), 0.0f);
                    covered = 0;
                }
                // Every output row whose last group this was.
                for (; next < m_outHeight && m_v.kernel.last(next) == g; ++next) {
                    const float *w = m_v.kernel.of(next);
                    const int first = m_v.kernel.first[size_t(next)];
                    for (int t = 0; t < m_v.kernel.count[size_t(next)]; ++t) {
                        const float *from = ring.data() + size_t((first + t) % ringRows) * stride;
                        (t == 0 ? setScaled : addScaled)(sums.data(), from, w[t], row);
                    }
                    finishRow(sums.data(), across.data(), out + size_t(next) * size_t(m_outWidth) * size_t(m_bands));
                }
            }
        }
    }

private:
    // A source row as floats, colour multiplied by alpha.
    void toFloat(const T *in, float *out) const
    {
        widen(out, in, size_t(m_width) * size_t(m_bands));
        if (!m_alpha)
            return;
        for (int x = 0; x < m_width; ++x) {
            float *p = out + size_t(x) * size_t(m_bands);
            for (int b = 0; b < m_bands - 1; ++b)
                p[b] *= p[m_bands - 1];
        }
    }

    // One output row from a row of vertical sums: grouped and summed across,
    // alpha divided out again, rounded into T.
    void finishRow(const float *sums, float *across, T *out) const
    {
        const int bands = m_bands;
        if (m_h.group > 1) {
            for (int g = 0; g < m_h.groups; ++g) {
                const int from = g * m_h.group, to = std::min(from + m_h.group, m_width);
                float total[kMaxBands] = {};
                float covered = 0;
                for (int x = from; x < to; ++x) {
                    const float cover = x == m_width - 1 ? m_h.lastCover : 1.0f;
                    covered += cover;
                    for (int b = 0; b < bands; ++b)
                        total[b] += cover * sums[size_t(x) * size_t(bands) + size_t(b)];
                }
                for (int b = 0; b < bands; ++b)
                    across[size_t(g) * size_t(bands) + size_t(b)] = total[b] / covered;
            }
            sums = across;
        }
        const float *weights = m_h.kernel.weights.data();
        const int *firsts = m_h.kernel.first.data();
        const int *counts = m_h.kernel.count.data();
        const size_t stride = size_t(m_h.kernel.stride);
        for (int j = 0; j < m_outWidth; ++j) {
            const float *w = weights + size_t(j) * stride;
            const float *in = sums + size_t(firsts[j]) * size_t(bands);
            const int count = counts[j];
            T *to = out + size_t(j) * size_t(bands);
            if (bands == 3 || bands == 4) {
                Float4 total = {0, 0, 0, 0};
                for (int t = 0; t < count; ++t, in += bands)
                    total += w[t] * load4(in);
                store4(total, to);
            } else {
                float pixel[kMaxBands] = {};
                for (int t = 0; t < count; ++t, in += bands) {
                    for (int b = 0; b < bands; ++b)
                        pixel[b] += w[t] * in[b];
                }
                store(pixel, to);
            }
        }
    }

    void store4(Float4 pixel, T *__restrict out) const
    {
        if (m_alpha) {
            const float a = pixel[3];
            const Float4 divided = pixel / a;
            pixel = a > 0 ? Float4{divided[0], divided[1], divided[2], a} : Float4{0, 0, 0, a};
        }
        if constexpr (std::is_same_v<T, float>) {
            for (int b = 0; b < m_bands; ++b)
                out[b] = pixel[b];
        } else {
            constexpr float kMaximum = std::is_same_v<T, unsigned char> ? 255.0f : 65535.0f;
            const Float4 zero = {0, 0, 0, 0}, top = {kMaximum, kMaximum, kMaximum, kMaximum};
            pixel = pixel < zero ? zero : pixel;
            pixel = pixel > top ? top : pixel;
            typedef int Int4 __attribute__((vector_size(16)));
            const Int4 rounded = __builtin_convertvector(pixel + 0.5f, Int4);
            for (int b = 0; b < m_bands; ++b)
                out[b] = T(rounded[b]);
        }
    }

    void store(float *pixel, T *__restrict out) const
    {
        if (m_alpha) {
            const float a = pixel[m_bands - 1];
            for (int b = 0; b < m_bands - 1; ++b)
                pixel[b] = a > 0 ? pixel[b] / a : 0.0f;
        }
        for (int b = 0; b < m_bands; ++b) {
            if constexpr (std::is_same_v<T, float>) {
                out[b] = pixel[b];
            } else {
                constexpr float kMaximum = std::is_same_v<T, unsigned char> ? 255.0f : 65535.0f;
                out[b] = T(std::clamp(pixel[b], 0.0f, kMaximum) + 0.5f);
            }
        }
    }

    int m_width, m_height, m_bands;
    bool m_alpha;
    Axis m_h, m_v;
    int m_outWidth, m_outHeight;
};

template <typename T>
VImage reduceAs(const VImage &image, bool alpha, AxisSpan width, AxisSpan height, VipsBandFormat format)
{
    const size_t bytes = size_t(width.size) * size_t(height.size) * size_t(image.bands()) * sizeof(T);
    std::unique_ptr<T, decltype(&g_free)> pixels(static_cast<T *>(g_malloc(bytes)), &g_free);
    Reducer<T>(image, alpha, width, height).run(image, pixels.get());
    return VImage::new_from_memory_steal(pixels.release(), bytes, width.size, height.size, image.bands(), format)
        .copy(VImage::option()->set("interpretation", image.interpretation()));
}

VImage reduceBands(const VImage &image, bool alpha, AxisSpan width, AxisSpan height)
{
    switch (image.format()) {
    case VIPS_FORMAT_UCHAR: return reduceAs<unsigned char>(image, alpha, width, height, VIPS_FORMAT_UCHAR);
    case VIPS_FORMAT_USHORT: return reduceAs<unsigned short>(image, alpha, width, height, VIPS_FORMAT_USHORT);
    default: {
        VImage reduced = reduceAs<float>(image.cast(VIPS_FORMAT_FLOAT), alpha, width, height, VIPS_FORMAT_FLOAT);
        if (vips_band_format_isint(image.format()))
            reduced = reduced.round(VIPS_OPERATION_ROUND_RINT);
        return reduced.cast(image.format());
    }
    }
}

} // namespace

VImage reduceExactly(const VImage &image, AxisSpan width, AxisSpan height)
{
    VImage reduced;
    if (image.bands() <= kMaxBands) {
        reduced = reduceBands(image, image.has_alpha(), width, height);
    } else {
        // Many bands hold no alpha the program knows how to weight by.
        for (int b = 0; b < image.bands(); b += kMaxBands) {
            const int n = std::min(kMaxBands, image.bands() - b);
            const VImage part = reduceBands(image.extract_band(b, VImage::option()->set("n", n)), false, width, height);
            reduced = b == 0 ? part : reduced.bandjoin(part);
        }
    }
    // The profile still describes the pixels; the colour stage needs it.
    if (image.get_typeof(VIPS_META_ICC_NAME)) {
        size_t length = 0;
        const void *profile = image.get_blob(VIPS_META_ICC_NAME, &length);
        vips_image_set_blob_copy(reduced.get_image(), VIPS_META_ICC_NAME, profile, length);
    }
    return reduced;
}

} // namespace imaging
