#include "client/save_scaled_picture.h"

#include "probe/byte_source.h"
#include "probe/header_probe.h"
#include "imaging/picture_formats.h"
#include "probe/read_picture_size.h"
#include "probe/source_metadata.h"
#include "protocol/worker_protocol.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <variant>
#include <vector>

namespace imaging {

static_assert(kMostTargets == worker::kMostSizes, "one request carries every target");

namespace {

// An exact size, or limits to fit the picture into once its header is read.
using SizeRule = std::variant<PictureSize, FitBox>;

// The most of a source read into this process for its metadata: EXIF sits
// near the start of a JPEG, PNG or WebP; a TIFF whose directory lies further
// keeps none.
constexpr std::uint64_t kMostMetadataBytes = 64u << 20;
// What is read first, which holds a JPEG's EXIF.
constexpr std::uint64_t kMetadataHeadBytes = 256u << 10;

// The first `length` bytes of the source; empty when they cannot be read.
Bytes readSource(const platform::ReadOnlyFile &source, std::uint64_t length)
{
    Bytes bytes(std::size_t(std::min(length, source.size())));
    return source.readAt(0, bytes) ? bytes : Bytes();
}

// The source's own bytes in place of `converted`, when they are smaller and
// may stand for it: the same format, the size fitted, upright, nothing in
// them but the picture. Read anew and judged on what was read, so a file
// changed since it was probed is judged as it is now.
std::optional<Bytes> originalInstead(const platform::ReadOnlyFile &source, const QByteArray &converted,
                                     OutputFormat format, PictureSize target, bool tgaName)
{
    if (source.size() >= std::uint64_t(converted.size()))
        return std::nullopt;
    Bytes original = readSource(source, source.size());
    if (original.size() != source.size() || !holdsOnlyPicture(original, format))
        return std::nullopt;
    MemoryByteSource bytes(original);
    const PictureHeader header = probePictureHeader(bytes, tgaName);
    if (header.stored != target || header.orientation != 1)
        return std::nullopt;
    return original;
}

// Writes `bytes`, the worker's output of `target` size as the output check
// took it (without metadata), to `targetPath`, with what `keep` asks of the
// source added by the program's own reading of it: the source's bytes in
// their place (`keptOriginal` then set), or its EXIF; with `times`, those.
// False with errno when it could not be written.
// The file must come to `range`: the source's bytes stand in only when they
// do, and a file the EXIF takes out of it is not written (the result says so).
ConversionResult writeOutput(const platform::ReadOnlyFile &source, const QByteArray &bytes, OutputFormat format,
                             PictureSize target, bool tgaName, const KeepFromSource &keep, const ByteRange &range,
                             const platform::FileTimes *times, const QString &targetPath)
{
    QByteArrayView output = bytes;
    Bytes written;
    ConversionResult result;
    if (keep.noLarger) {
        if (auto original = originalInstead(source, bytes, format, target, tgaName);
            original && range.holds(std::int64_t(original->size()))) {
            written = std::move(*original);
            output = QByteArrayView(written.data(), qsizetype(written.size()));
            result.keptOriginal = true;
        }
    }
    if (keep.metadata && !result.keptOriginal) {
        // A JPEG's EXIF is in its first segments; a PNG's eXIf may follow the
        // pixels, and a TIFF's values may be anywhere: then more is read.
        Bytes head = readSource(source, kMetadataHeadBytes);
        std::span<const std::uint8_t> block = findExifBlock(head);
        const bool tiff = !head.empty() && (head[0] == 'I' || head[0] == 'M');
        if ((block.empty() || tiff) && source.size() > head.size()) {
            head = readSource(source, kMostMetadataBytes);
            block = findExifBlock(head);
        }
        const Bytes exif = keptExif(block, keep.location, target.Width, target.Height);
        if (!exif.empty()) {
            written = withExif(
                std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())), format,
                exif);
            output = QByteArrayView(written.data(), qsizetype(written.size()));
        }
    }
    result.bytes = output.size();
    if (!range.holds(result.bytes)) {
        SizeSearchResult nearest;
        nearest.outcome = result.bytes < range.floor ? SizeSearchOutcome::TooSmall : SizeSearchOutcome::TooLarge;
        nearest.bytes = result.bytes;
        nearest.size = target;
        return {ConversionStatus::SizeOutOfRange, sizeSearchProblem(nearest, range)};
    }
    const bool wrote = times ? platform::writeFileAtomically(targetPath, output, *times)
                             : platform::writeFileAtomically(targetPath, output);
    if (!wrote)
        return {ConversionStatus::WriteFailed, QString::fromLocal8Bit(std::strerror(errno))};
    return result;
}

// The reason a worker's SizeOutOfRange failure gives, rebuilt here from the
// numbers it sent: the worker's words are not shown as they are.
QString sizeFailureReason(const QString &detail, const ByteRange &range)
{
    const std::optional<SizeSearchResult> nearest = parseSizeSearchDetail(detail);
    return nearest ? sizeSearchProblem(*nearest, range) : QString();
}

struct Output {
    QString path;
    SizeRule rule;
};

// How the worker makes each exact size sent: the geometry of the picture as
// shown in its box, and the pad colour of the first box that pads (the
// boxes of one picture come from one set of settings).
void placeExactSizes(WorkerTask &task, PictureSize shown, std::span<const Output> outputs,
                     const std::vector<std::size_t> &sent)
{
    bool padded = false;
    for (std::size_t k = 0; k < sent.size(); ++k) {
        const FitBox *box = std::get_if<FitBox>(&outputs[sent[k]].rule);
        if (!box || !box->isExact())
            continue;
        task.exact.resize(sent.size());
        task.exact[k] = exactGeometryIn(shown, *box);
        const std::uint32_t pad = box->padColour;
        if (!padded && task.exact[k].hasBorders())
            task.padColour = platform::rgbValue(int(pad >> 16), int(pad >> 8), int(pad));
        padded = padded || task.exact[k].hasBorders();
    }
}

// One result per output, in their order.
std::vector<ConversionResult> convertWithRules(ConversionWorker &worker, const QString &sourcePath,
                                               std::span<const Output> outputs, platform::ColourValue background,
                                               const EncodeSettings &encode, const KeepFromSource &keep)
{
    std::vector<ConversionResult> results(outputs.size());
    auto allFail = [&](ConversionStatus status, const QString &detail = {}) {
        for (ConversionResult &result : results) {
            if (result.converted()) {
                result.status = status;
                result.detail = detail;
            }
        }
        return results;
    };
    // Opened here, once: the worker gets this descriptor and never the name,
    // and the size is fitted to the header of this very file.
    const platform::ReadOnlyFile source(sourcePath);
    if (!source.isOpen() || !platform::isRegularFile(sourcePath))
        return allFail(ConversionStatus::SourceUnreadable);
    const auto format = outputFormatForPath(outputs.front().path);
    for (const Output &output : outputs) {
        if (!format || outputFormatForPath(output.path) != format)
            return allFail(ConversionStatus::UnsupportedTarget);
    }
    if (outputs.size() > worker::kMostSizes)
        return allFail(ConversionStatus::UnsupportedTarget, QStringLiteral("more sizes than one conversion makes"));
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const PictureSize *exact = std::get_if<PictureSize>(&outputs[i].rule);
        if (exact && (exact->Width < 1 || exact->Height < 1))
            results[i].status = ConversionStatus::NoSize;
    }
    if (source.size() > kMaxSourceBytes)
        return allFail(ConversionStatus::TooLarge, QStringLiteral("%1 bytes, more than 4 GiB").arg(source.size()));

    const bool tgaName = hasTgaName(sourcePath);
    // The worker turns the picture as this header says, so that the output
    // has the size fitted to what viewers show.
    const PictureHeader header = readPictureHeader(source, tgaName);
    std::vector<std::size_t> sent; // the outputs handed to the worker
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        ConversionResult &result = results[i];
        if (!result.converted())
            continue;
        const PictureSize *exact = std::get_if<PictureSize>(&outputs[i].rule);
        result.source = header.shown();
        result.target = exact ? *exact : fitIntoBox(result.source, std::get<FitBox>(outputs[i].rule));
        if (result.target.Width < 1 || result.target.Height < 1)
            result.status = ConversionStatus::NoSize;
        if (result.converted())
            sent.push_back(i);
    }
    if (sent.empty())
        return results;
    const std::int64_t declaredPixels = std::int64_t(header.stored.Width) * header.stored.Height;
    if (declaredPixels > kMaxSourcePixels)
        return allFail(ConversionStatus::TooLarge,
                       QStringLiteral("%1 x %2 pixels declared").arg(header.stored.Width).arg(header.stored.Height));

    const PictureSize first = results[sent.front()].target;
    WorkerTask task{first.Width,        first.Height,   *format,       background, tgaName,
                    header.orientation, declaredPixels, source.size(), encode.quality};
    task.dpi = encode.dpi;
    task.fileSize = encode.fileSize;
    for (std::size_t k = 1; k < sent.size(); ++k)
        task.moreSizes.push_back(results[sent[k]].target);
    placeExactSizes(task, header.shown(), outputs, sent);
    // Taken before the worker reads the file, which may set its access time.
    platform::FileTimes times;
    if (keep.dates && !platform::fileTimes(source.descriptor(), times))
        return allFail(ConversionStatus::SourceUnreadable, QString::fromLocal8Bit(std::strerror(errno)));
    const std::vector<Result<QByteArray>> bytes = worker.convertAll(source.descriptor(), task);
    for (std::size_t k = 0; k < sent.size(); ++k) {
        ConversionResult &result = results[sent[k]];
        if (!bytes[k]) {
            result.status = bytes[k].failure().status;
            result.detail = result.status == ConversionStatus::SizeOutOfRange
                                ? sizeFailureReason(bytes[k].failure().detail, encode.fileSize)
                                : bytes[k].failure().detail;
            continue;
        }
        const ConversionResult written = writeOutput(source, *bytes[k], *format, result.target, tgaName, keep,
                                                     encode.fileSize, keep.dates ? &times : nullptr,
                                                     outputs[sent[k]].path);
        result.status = written.status;
        result.detail = written.detail;
        result.keptOriginal = written.keptOriginal;
        result.bytes = written.bytes;
    }
    return results;
}

ConversionResult convertWithRule(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                 const SizeRule &rule, platform::ColourValue background, const EncodeSettings &encode,
                                 const KeepFromSource &keep)
{
    const Output output{targetPath, rule};
    return convertWithRules(worker, sourcePath, std::span(&output, 1), background, encode, keep).front();
}

} // namespace

bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                       platform::ColourValue background)
{
    return convertPicture(sourcePath, targetPath, width, height, background).converted();
}

ConversionResult convertPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                                platform::ColourValue background)
{
    ConversionWorker worker;
    return convertPicture(worker, sourcePath, targetPath, width, height, background);
}

ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                int width, int height, platform::ColourValue background, int quality)
{
    return convertWithRule(worker, sourcePath, targetPath, PictureSize{width, height}, background, {quality}, {});
}

ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                const FitBox &box, platform::ColourValue background, int quality,
                                const KeepFromSource &keep)
{
    return convertWithRule(worker, sourcePath, targetPath, box, background, {quality}, keep);
}

ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                const FitBox &box, platform::ColourValue background, const EncodeSettings &encode,
                                const KeepFromSource &keep)
{
    return convertWithRule(worker, sourcePath, targetPath, box, background, encode, keep);
}

ConversionResult convertPictureSizes(ConversionWorker &worker, const QString &sourcePath,
                                     std::span<const SizedTarget> targets, platform::ColourValue background,
                                     int quality, const KeepFromSource &keep)
{
    return convertPictureSizes(worker, sourcePath, targets, background, EncodeSettings{quality}, keep);
}

ConversionResult convertPictureSizes(ConversionWorker &worker, const QString &sourcePath,
                                     std::span<const SizedTarget> targets, platform::ColourValue background,
                                     const EncodeSettings &encode, const KeepFromSource &keep)
{
    if (targets.empty())
        return {ConversionStatus::UnsupportedTarget, {}};
    std::vector<Output> outputs;
    for (const SizedTarget &target : targets)
        outputs.push_back({target.path, target.box});
    ConversionResult whole;
    whole.sizes = convertWithRules(worker, sourcePath, outputs, background, encode, keep);
    const auto failed = std::find_if(whole.sizes.begin(), whole.sizes.end(),
                                     [](const ConversionResult &result) { return !result.converted(); });
    const ConversionResult &told = failed != whole.sizes.end() ? *failed : whole.sizes.front();
    whole.status = told.status;
    whole.detail = told.detail;
    whole.source = told.source;
    whole.target = told.target;
    return whole;
}

} // namespace imaging
