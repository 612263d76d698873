#include "imaging/save_scaled_picture.h"

#include "imaging/byte_source.h"
#include "imaging/header_probe.h"
#include "imaging/picture_formats.h"
#include "imaging/read_picture_size.h"
#include "imaging/source_metadata.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <variant>

namespace imaging {

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
bool writeOutput(const platform::ReadOnlyFile &source, const QByteArray &bytes, OutputFormat format, PictureSize target,
                 bool tgaName, const KeepFromSource &keep, const platform::FileTimes *times, const QString &targetPath,
                 bool &keptOriginal)
{
    QByteArrayView output = bytes;
    Bytes written;
    keptOriginal = false;
    if (keep.noLarger) {
        if (auto original = originalInstead(source, bytes, format, target, tgaName)) {
            written = std::move(*original);
            output = QByteArrayView(written.data(), qsizetype(written.size()));
            keptOriginal = true;
        }
    }
    if (keep.metadata && !keptOriginal) {
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
    return times ? platform::writeFileAtomically(targetPath, output, *times)
                 : platform::writeFileAtomically(targetPath, output);
}

ConversionResult convertWithRule(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                 const SizeRule &rule, platform::ColourValue background, int quality,
                                 const KeepFromSource &keep)
{
    // Opened here, once: the worker gets this descriptor and never the name,
    // and the size is fitted to the header of this very file.
    const platform::ReadOnlyFile source(sourcePath);
    if (!source.isOpen() || !platform::isRegularFile(sourcePath))
        return {ConversionStatus::SourceUnreadable, {}};
    const auto format = outputFormatForPath(targetPath);
    if (!format)
        return {ConversionStatus::UnsupportedTarget, {}};
    const PictureSize *exact = std::get_if<PictureSize>(&rule);
    if (exact && (exact->Width < 1 || exact->Height < 1))
        return {ConversionStatus::NoSize, {}};
    if (source.size() > kMaxSourceBytes)
        return {ConversionStatus::TooLarge, QStringLiteral("%1 bytes, more than 4 GiB").arg(source.size())};

    const bool tgaName = hasTgaName(sourcePath);
    // The worker turns the picture as this header says, so that the output
    // has the size fitted to what viewers show.
    const PictureHeader header = readPictureHeader(source, tgaName);
    ConversionResult result;
    result.source = header.shown();
    result.target = exact ? *exact : fitIntoBox(result.source, std::get<FitBox>(rule));
    auto failed = [&](ConversionStatus status, QString detail) {
        result.status = status;
        result.detail = std::move(detail);
        return result;
    };
    if (result.target.Width < 1 || result.target.Height < 1)
        return failed(ConversionStatus::NoSize, {});
    const std::int64_t declaredPixels = std::int64_t(header.stored.Width) * header.stored.Height;
    if (declaredPixels > kMaxSourcePixels)
        return failed(ConversionStatus::TooLarge,
                      QStringLiteral("%1 x %2 pixels declared").arg(header.stored.Width).arg(header.stored.Height));

    WorkerTask task{result.target.Width, result.target.Height, *format,       background, tgaName,
                    header.orientation,  declaredPixels,       source.size(), quality};
    // Taken before the worker reads the file, which may set its access time.
    platform::FileTimes times;
    if (keep.dates && !platform::fileTimes(source.descriptor(), times))
        return failed(ConversionStatus::SourceUnreadable, QString::fromLocal8Bit(std::strerror(errno)));
    const Result<QByteArray> bytes = worker.convert(source.descriptor(), task);
    if (!bytes)
        return failed(bytes.failure().status, bytes.failure().detail);
    if (!writeOutput(source, *bytes, *format, result.target, tgaName, keep, keep.dates ? &times : nullptr, targetPath,
                     result.keptOriginal))
        return failed(ConversionStatus::WriteFailed, QString::fromLocal8Bit(std::strerror(errno)));
    return result;
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
    return convertWithRule(worker, sourcePath, targetPath, PictureSize{width, height}, background, quality, {});
}

ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                const FitBox &box, platform::ColourValue background, int quality,
                                const KeepFromSource &keep)
{
    return convertWithRule(worker, sourcePath, targetPath, box, background, quality, keep);
}

} // namespace imaging
