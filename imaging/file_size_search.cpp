#include "imaging/file_size_search.h"

#include <QStringList>

#include "imaging/fit_into_box.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <vector>

namespace imaging {

namespace {

struct Probe {
    int x = 0; // a quality or a long edge
    std::int64_t bytes = 0;
};

struct Bracket {
    std::optional<Probe> under; // the largest x found within the ceiling
    bool failed = false;
};

// How the bytes are taken to grow along an axis: the log of the bytes is
// interpolated linearly in axis(x). With one point only, `slope` is the
// assumed growth of the log of the bytes per unit of the axis.
struct Axis {
    double (*forward)(double);
    double (*inverse)(double);
    double slope;
};

// The quality axis. From the middle qualities up, the log of the bytes of a
// JPEG or WebP of a photo grows about linearly in -log(101 - quality), so
// steeply near 100 (measured on the photos the tests use: about 0.7 per unit).
double qualityAxis(double quality)
{
    return -std::log(101 - quality);
}

double qualityFromAxis(double axis)
{
    return 101 - std::exp(-axis);
}

// The largest x in [lowest, over.x - 1] whose bytes are within `ceiling`,
// knowing that over.x gives more. Once both sides are known, a regula falsi
// on the log of the bytes over the ceiling, with the Illinois rule (the side
// kept twice in a row counts half); before that, an extrapolation from the
// files too large. Whenever interpolating could no longer end within two steps
// more than bisection from the start would take, it bisects instead, so no
// search takes more (on the photos of the tests: 5.7 encodes on the average
// to pin the best of 100 qualities, at most 10).
Bracket largestUnder(int lowest, Probe over, std::int64_t ceiling, const Axis &axis,
                     const std::function<std::optional<std::int64_t>(int)> &bytesAt)
{
    Bracket found;
    std::optional<Probe> higherOver;
    const double target = std::log(double(ceiling));
    const auto excess = [&](const Probe &p) { return std::log(double(p.bytes)) - target; };
    double underWeight = 1, overWeight = 1; // the Illinois rule's halvings
    int lastSide = 0;                       // -1: the last step moved the under side, 1: the over side
    const auto bisections = [](int width) { return int(std::ceil(std::log2(double(width)))); };
    const int budget = bisections(over.x - lowest + 1) + 2;
    for (int steps = 0;; ++steps) {
        const int low = found.under ? found.under->x : lowest - 1; // x in (low, over.x) are left
        const int width = over.x - low;
        if (width <= 1)
            return found;
        double guess;
        if (steps + bisections(width) >= budget) {
            guess = low + width / 2;
        } else if (found.under) {
            const double fLow = excess(*found.under) * underWeight, fHigh = excess(over) * overWeight;
            const double t = fHigh > fLow ? -fLow / (fHigh - fLow) : 0.5;
            const double a0 = axis.forward(low), a1 = axis.forward(over.x);
            guess = std::round(axis.inverse(a0 + t * (a1 - a0)));
        } else {
            // Only files too large so far: extrapolate down from the last two, or
            // from the last one by the assumed slope.
            double slope = axis.slope;
            if (higherOver && higherOver->bytes > over.bytes) {
                const double run = axis.forward(higherOver->x) - axis.forward(over.x);
                if (run > 0)
                    slope = (std::log(double(higherOver->bytes)) - std::log(double(over.bytes))) / run;
            }
            guess = std::floor(axis.inverse(axis.forward(over.x) - excess(over) / slope));
        }
        const int x = int(std::clamp(guess, double(low + 1), double(over.x - 1)));
        const std::optional<std::int64_t> bytes = bytesAt(x);
        if (!bytes) {
            found.failed = true;
            return found;
        }
        const int side = *bytes <= ceiling ? -1 : 1;
        if (side < 0) {
            found.under = Probe{x, *bytes};
            underWeight = 1;
        } else {
            higherOver = over;
            over = {x, *bytes};
            overWeight = 1;
        }
        if (side == lastSide)
            (side < 0 ? overWeight : underWeight) *= 0.5;
        lastSide = side;
    }
}

struct Trial {
    int quality;
    PictureSize size;
    std::int64_t bytes;
};

SizeSearchResult choose(const std::vector<Trial> &trials, const ByteRange &range, int encodes)
{
    // Within the range: the most pixels, then the best quality, then the most bytes.
    const auto better = [](const Trial &a, const Trial &b) {
        const std::int64_t pa = std::int64_t(a.size.Width) * a.size.Height;
        const std::int64_t pb = std::int64_t(b.size.Width) * b.size.Height;
        if (pa != pb)
            return pa > pb;
        if (a.quality != b.quality)
            return a.quality > b.quality;
        return a.bytes > b.bytes;
    };
    const Trial *best = nullptr;
    for (const Trial &t : trials)
        if (range.holds(t.bytes) && (!best || better(t, *best)))
            best = &t;
    SizeSearchOutcome outcome = SizeSearchOutcome::Met;
    if (!best) {
        // Missed: the largest file within the ceiling where there is one (the
        // floor was missed), else the smallest file made.
        for (const Trial &t : trials)
            if (range.ceiling == 0 || t.bytes <= range.ceiling)
                if (!best || t.bytes > best->bytes)
                    best = &t;
        outcome = SizeSearchOutcome::TooSmall;
        if (!best) {
            for (const Trial &t : trials)
                if (!best || t.bytes < best->bytes)
                    best = &t;
            outcome = SizeSearchOutcome::TooLarge;
        }
    }
    return {outcome, best->quality, best->size, best->bytes, encodes};
}

} // namespace

SizeSearchResult searchFileSize(const SizeSearch &search, const SizedEncoder &encode)
{
    std::vector<Trial> trials;
    int encodes = 0;
    const auto tryEncode = [&](int quality, PictureSize size) {
        ++encodes;
        const std::optional<std::int64_t> bytes = encode(quality, size);
        if (bytes)
            trials.push_back({quality, size, *bytes});
        return bytes;
    };
    const ByteRange &range = search.range;
    const int top = std::clamp(search.quality, 1, 100);
    const std::optional<std::int64_t> first = tryEncode(top, search.size);
    if (!first)
        return {SizeSearchOutcome::EncodeFailed, top, search.size, 0, encodes};
    if (range.ceiling == 0 || *first <= range.ceiling)
        return choose(trials, range, encodes);

    int quality = top;
    std::int64_t overBytes = *first;
    if (search.lossy) {
        const int lowest = search.mayShrink ? std::min(kLowestFitQuality, top) : 1;
        const Bracket bracket = largestUnder(lowest, {top, *first}, range.ceiling, {qualityAxis, qualityFromAxis, 0.7},
                                             [&](int q) { return tryEncode(q, search.size); });
        if (bracket.failed)
            return {SizeSearchOutcome::EncodeFailed, trials.back().quality, trials.back().size, 0, encodes};
        if (bracket.under)
            return choose(trials, range, encodes);
        quality = lowest;
        for (const Trial &t : trials)
            if (t.quality == lowest)
                overBytes = t.bytes;
    }
    const std::int32_t longEdge = std::max(search.size.Width, search.size.Height);
    if (search.mayShrink && longEdge > 1) {
        const auto sized = [&](int edge) { return fitIntoBox(search.size, {edge, edge, false, 0}); };
        // The bytes grow about as the pixels, the square of the long edge.
        const Bracket bracket =
            largestUnder(1, {longEdge, overBytes}, range.ceiling,
                         {[](double x) { return std::log(x); }, [](double x) { return std::exp(x); }, 2.0},
                         [&](int edge) { return tryEncode(quality, sized(edge)); });
        if (bracket.failed)
            return {SizeSearchOutcome::EncodeFailed, quality, trials.back().size, 0, encodes};
    }
    return choose(trials, range, encodes);
}

QString sizeSearchProblem(const SizeSearchResult &result, const ByteRange &range)
{
    const auto tr = [](const char *text, const char *comment) {
        return QCoreApplication::translate("imaging", text, comment);
    };
    switch (result.outcome) {
    case SizeSearchOutcome::Met:
        return {};
    case SizeSearchOutcome::EncodeFailed:
        return tr("无法编码", "a picture the encoder refused while aiming at a file size");
    case SizeSearchOutcome::TooLarge:
        return tr("无法压到 %1 字节以内：最小做到 %2 字节（%3×%4，质量 %5）",
                  "a file-size ceiling not reached; the nearest size, dimensions and quality")
            .arg(range.ceiling)
            .arg(result.bytes)
            .arg(result.size.Width)
            .arg(result.size.Height)
            .arg(result.quality);
    case SizeSearchOutcome::TooSmall:
        break;
    }
    return tr("达不到 %1 字节：不超出上限时最大做到 %2 字节（%3×%4，质量 %5）",
              "a file-size floor not reached; the nearest size, dimensions and quality")
        .arg(range.floor)
        .arg(result.bytes)
        .arg(result.size.Width)
        .arg(result.size.Height)
        .arg(result.quality);
}

QString sizeSearchDetail(const SizeSearchResult &result)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(int(result.outcome))
        .arg(result.bytes)
        .arg(result.size.Width)
        .arg(result.size.Height)
        .arg(result.quality);
}

std::optional<SizeSearchResult> parseSizeSearchDetail(const QString &detail)
{
    const QStringList parts = detail.split(u' ');
    if (parts.size() != 5)
        return std::nullopt;
    bool ok[5];
    const int outcome = parts[0].toInt(&ok[0]);
    SizeSearchResult result;
    result.bytes = parts[1].toLongLong(&ok[1]);
    result.size = {parts[2].toInt(&ok[2]), parts[3].toInt(&ok[3])};
    result.quality = parts[4].toInt(&ok[4]);
    if (!(ok[0] && ok[1] && ok[2] && ok[3] && ok[4]) || result.bytes < 0 || result.quality < 0 || result.quality > 100)
        return std::nullopt;
    if (outcome == int(SizeSearchOutcome::TooLarge))
        result.outcome = SizeSearchOutcome::TooLarge;
    else if (outcome == int(SizeSearchOutcome::TooSmall))
        result.outcome = SizeSearchOutcome::TooSmall;
    else
        return std::nullopt;
    return result;
}

} // namespace imaging
