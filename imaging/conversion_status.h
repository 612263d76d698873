// How a conversion ended: one status, the words the window and tarvel-batch
// show for it, and the library's own message for logs. Every step of the
// conversion, in the program and in its workers, reports failure this way.
#pragma once

#include "imaging/picture_size.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace imaging {

enum class ConversionStatus {
    Converted,
    SourceUnreadable,  // missing, not a regular file, or not readable
    UnsupportedTarget, // the target's extension names no output format
    NoSize,            // a width or height below 1
    NotAPicture,       // not a JPEG, PNG, GIF, TIFF, BMP or TGA
    TooLarge,          // declares more pixels than any photo has
    Damaged,           // truncated or corrupt
    WriteFailed,       // the target could not be written
    OutOfMemory,       // the picture needs more memory than a worker may take
    TimedOut,          // the worker took longer than the picture's time budget
    Crashed,           // the worker died while converting it
    WorkerUnavailable, // no worker could be started
    SizeOutOfRange,    // no file within the file-size range (the detail names the nearest)
    // Set by the program only, never sent by a worker (worker_protocol.h):
    Stopped,      // the user stopped the run at once, with the picture under way
    InvalidReply, // the worker's bytes are not the picture asked for
};

// Why a picture was not converted, in the words the window and tarvel-batch
// show ("内存不足", "转换超时", ...).
QString reasonText(ConversionStatus status);

struct ConversionResult {
    ConversionStatus status = ConversionStatus::Converted;
    QString detail; // what the decoder, the encoder or the system said, for logs
    // The size the picture's header stated as the picture was opened for the
    // conversion (as shown), and the size it was drawn at; (0, 0) when the
    // conversion ended before they were known.
    PictureSize source = {};
    PictureSize target = {};
    // The source's own bytes were written in place of the converted ones,
    // which would have been larger (KeepFromSource::noLarger).
    bool keptOriginal = false;
    // The length of the file written.
    std::int64_t bytes = 0;
    // A picture made into several sizes (convertPictureSizes): each one's
    // result, in their order. The fields above then tell the first that
    // failed, or the first size's when all converted.
    std::vector<ConversionResult> sizes = {};

    bool converted() const { return status == ConversionStatus::Converted; }
};

// A value, or the result that says why there is none.
template <typename T> class Result {
public:
    Result(T value) : m_value(std::move(value)) { }
    Result(ConversionStatus status, QString detail = {}) : m_failure{status, std::move(detail)} { }
    Result(ConversionResult failure) : m_failure(std::move(failure)) { }

    explicit operator bool() const { return m_value.has_value(); }
    T &operator*() { return *m_value; }
    const T &operator*() const { return *m_value; }
    T *operator->() { return &*m_value; }
    const T *operator->() const { return &*m_value; }
    const ConversionResult &failure() const { return m_failure; }

private:
    std::optional<T> m_value;
    ConversionResult m_failure;
};

} // namespace imaging
