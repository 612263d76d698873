// How a conversion ended, for callers that tell the user why a picture failed.
#pragma once

#include <QString>

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
};

// Why a picture was not converted, in the words the window and tarvel-batch
// show ("内存不足", "转换超时", ...).
QString reasonText(ConversionStatus status);

} // namespace imaging
