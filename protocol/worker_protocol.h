// What the program and a conversion worker (tarvel-worker) say to each other.
//
// The worker decodes untrusted files, so it runs as a process of its own,
// shut in by the kernel (worker_sandbox.h): a picture that crashes it, hangs it
// or eats its memory costs only itself. The parent starts it (worker_launch.h)
// (through its guard, worker_guard.h) with one end of a stream socket as
// descriptor kChannelDescriptor and these arguments:
//     tarvel-worker --parent PID --threads N
// (the parent's process id, as the parent sees itself, and the libvips threads
// it may use for one picture). The guard ties the worker's life to the
// parent's. Then:
//
// 1. The worker starts libvips, loads everything it will need, shuts itself
//    in and sends a Hello. The parent receives it with the sender's
//    credentials (SO_PASSCRED): the worker's process id as the parent sees it,
//    which the process it started (the guard) does not tell. From then on the
//    worker is a template: it reads no picture itself.
// 2. The parent sends a Request with two descriptors attached (SCM_RIGHTS):
//    the source file, open, and one end of a new stream socket, the
//    picture's channel. The worker never opens a picture by name.
// 3. A process for the picture alone, forked from the template (ahead of the
//    request, while the picture before converts, with the template's channel
//    closed), is handed the request and both descriptors. It greets the
//    parent with a Hello on the picture's channel (its process id comes with
//    it, as above), and waits for the byte kGo: meanwhile the parent holds it
//    to the picture's memory budget.
// 4. It answers on the picture's channel with a Reply followed by
//    `byteCount` bytes, the encoded output file (none unless the status says
//    converted), and `detailLength` bytes of UTF-8, the decoder's own message
//    for logs. The parent writes the output file itself. A request for
//    several sizes (moreSizes) gets one reply per size, in their order, each
//    made as soon as its output is encoded; a reply that says the worker ends
//    is the last, whatever sizes are left. Then the process ends.
// 5. Once it has gone, the template sends PictureEnded on its own channel,
//    with how it ended; the parent sends no other request before.
// 6. Steps 2 to 5 repeat until the parent closes its end; the worker exits.
//
// The parent trusts nothing it reads: a reply whose magic, status or lengths
// are out of range counts as a crash. Both ends are the same build, so the
// integers travel in the machine's own byte order.
#pragma once

#include "imaging/conversion_status.h"
#include "imaging/picture_formats.h"
#include "platform/retry_on_eintr.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include <sys/socket.h>

namespace imaging::worker {

inline constexpr int kChannelDescriptor = 3;

inline constexpr std::uint32_t kHelloMagic = 0x54574831;   // "TWH1"
inline constexpr std::uint32_t kRequestMagic = 0x54575131; // "TWQ1"
inline constexpr std::uint32_t kReplyMagic = 0x54575231;   // "TWR1"
inline constexpr std::uint32_t kEndedMagic = 0x54574531;   // "TWE1"

// What the parent sends a picture's process once its budget is set.
inline constexpr char kGo = 'G';

// The largest output a reply may carry: a 16383 x 16383 picture takes about
// 800 MB as a BMP, TGA, TIFF or PNG, and a JPEG of noise at quality 100 more
// (the parent first holds each reply to what its size can take in its
// format, output_check.h).
inline constexpr std::uint64_t kMaxOutputBytes = std::uint64_t(2) << 30;
// The most sizes one request asks for, the first included.
inline constexpr std::uint32_t kMostSizes = 16;
inline constexpr std::uint32_t kMaxDetailBytes = 4096;

// Exit status of a worker that could not shut itself in: it converts nothing
// rather than run without its sandbox.
inline constexpr int kSandboxFailedStatus = 70;
// Exit status of a worker whose namespaces were made but could not be used
// (a kernel that lets a user namespace be made and then refuses it the
// mounts): the next worker is started without namespaces of its own.
inline constexpr int kNoNamespacesStatus = 71;

struct Hello {
    std::uint32_t magic = kHelloMagic;
    // The Landlock ABI version the worker is confined by, 0 when the kernel
    // has none (seccomp still applies; the parent warns).
    std::int32_t landlockAbi = 0;
};

enum RequestFlags : std::uint32_t {
    // The source is named ".tga": a TGA has no signature to be told by.
    kNameSaysTga = 1u << 0,
};

// How an exact size is made (imaging::ExactGeometry): the picture resampled
// to scaledWidth x scaledHeight, of which the kept rectangle is drawn at
// (atX, atY) on the size's canvas, the rest in the pad colour. A scaled size
// of 0 x 0: the size is the picture's, resampled to it as it is.
struct Placement {
    std::int32_t scaledWidth = 0;
    std::int32_t scaledHeight = 0;
    std::int32_t keptX = 0;
    std::int32_t keptY = 0;
    std::int32_t keptWidth = 0;
    std::int32_t keptHeight = 0;
    std::int32_t atX = 0;
    std::int32_t atY = 0;
};

struct Request {
    std::uint32_t magic = kRequestMagic;
    std::int32_t width = 0;       // the exact size of the output, in pixels,
    std::int32_t height = 0;      // as shown: after the orientation is applied
    std::uint32_t format = 0;     // imaging::OutputFormat
    std::uint32_t background = 0; // 0x00BBGGRR, what transparency lands on
    std::uint32_t flags = 0;
    // The EXIF orientation (1 to 8) as the program's header probe read it.
    // The worker turns the pixels by it, whatever the decoder thinks, so that
    // the output has exactly the size the program fitted.
    std::uint32_t orientation = 1;
    // 1 to 100 for the lossy encoders, or 0 (imaging::kOwnQuality) for each
    // format's own setting.
    std::uint32_t quality = 0;
    // Further sizes made from the same decode, each as width and height like
    // the first; `moreSizes` of them (at most kMostSizes - 1) count.
    std::uint32_t moreSizes = 0;
    std::int32_t more[kMostSizes - 1][2] = {};
    // Of each size, the first and then the more, how an exact size is placed.
    Placement placements[kMostSizes] = {};
    std::uint32_t padColour = 0; // 0x00BBGGRR, the borders of a pad
    // The resolution written into formats that carry one, 0 for none.
    std::uint32_t dpi = 0;
    // The bytes every output must come to; 0: no floor, no ceiling.
    std::int64_t floorBytes = 0;
    std::int64_t ceilingBytes = 0;
};

enum ReplyFlags : std::uint32_t {
    // The worker ends after this reply (it ran out of memory in a way that
    // leaves it unusable); the next picture needs a new one.
    kWorkerEnds = 1u << 0,
};

struct Reply {
    std::uint32_t magic = kReplyMagic;
    std::uint32_t status = 0; // imaging::ConversionStatus
    std::uint64_t byteCount = 0;
    std::uint32_t detailLength = 0;
    std::uint32_t flags = 0;
};

// A picture's process has gone: its wait status (waitpid), or kNotStarted
// when the template could not fork one.
inline constexpr std::int32_t kNotStarted = -1;
struct PictureEnded {
    std::uint32_t magic = kEndedMagic;
    std::int32_t waitStatus = 0;
};

// The numbers that travel, known by their values: nothing for a number that
// stands for none of the values one side may send. Never compared with the
// order of the enum, so that a value added or moved cannot let a forged
// number through; the compiler names a value left out of a switch.
inline std::optional<OutputFormat> requestFormat(std::uint32_t value)
{
    const auto format = static_cast<OutputFormat>(value);
    switch (format) {
    case OutputFormat::Bmp:
    case OutputFormat::Gif:
    case OutputFormat::Jpeg:
    case OutputFormat::Png:
    case OutputFormat::Tiff:
    case OutputFormat::Tga:
    case OutputFormat::WebP:
    case OutputFormat::Heic:
    case OutputFormat::Avif:
    case OutputFormat::JpegXl: return format;
    }
    return std::nullopt;
}

inline std::optional<ConversionStatus> replyStatus(std::uint32_t value)
{
    const auto status = static_cast<ConversionStatus>(value);
    switch (status) {
    case ConversionStatus::Converted:
    case ConversionStatus::SourceUnreadable:
    case ConversionStatus::UnsupportedTarget:
    case ConversionStatus::NoSize:
    case ConversionStatus::NotAPicture:
    case ConversionStatus::TooLarge:
    case ConversionStatus::Damaged:
    case ConversionStatus::WriteFailed:
    case ConversionStatus::OutOfMemory:
    case ConversionStatus::TimedOut:
    case ConversionStatus::Crashed:
    case ConversionStatus::WorkerUnavailable:
    case ConversionStatus::SizeOutOfRange: return status;
    case ConversionStatus::Stopped: // set by the program only
    case ConversionStatus::InvalidReply: return std::nullopt;
    }
    return std::nullopt;
}

// Sends all `size` bytes over the channel, going on after a short send or a
// signal; false when the other end is gone.
inline bool sendAll(int channel, const void *data, std::size_t size)
{
    const auto *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = platform::retryOnEintr([&] { return ::send(channel, p, size, MSG_NOSIGNAL); });
        if (n <= 0)
            return false;
        p += n;
        size -= std::size_t(n);
    }
    return true;
}

// Sends a request with two descriptors attached to its first byte (the
// source file and the picture's channel), finishing a short send; false when
// the other end is gone.
inline bool sendRequest(int socket, const Request &request, int source, int pictureChannel)
{
    iovec io{const_cast<Request *>(&request), sizeof request};
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr *c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(2 * sizeof(int));
    const int descriptors[2] = {source, pictureChannel};
    std::memcpy(CMSG_DATA(c), descriptors, sizeof descriptors);
    const ssize_t n = platform::retryOnEintr([&] { return ::sendmsg(socket, &message, MSG_NOSIGNAL); });
    if (n <= 0)
        return false;
    return sendAll(socket, reinterpret_cast<const char *>(&request) + n, sizeof request - std::size_t(n));
}

} // namespace imaging::worker
