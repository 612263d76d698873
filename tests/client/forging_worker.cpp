// A conversion worker taken over by a picture, for the tests: it speaks the
// worker's protocol (a process of its own for each picture, as the real
// worker's) and converts honestly with the real engine until it is
// handed a file that carries "FORGE:" and a word; from then on it forges every
// answer that way, as a worker running an attacker's code would:
//   text      the bytes of a password file, said to be the picture
//   size      the real picture, one pixel wider than asked
//   format    the real picture in another format
//   trailer   the real picture with the environment after its end
//   metadata  the real picture carrying a text chunk (PNG) or comment (JPEG)
//   boxes     a JPEG XL in a container with the environment in an EXIF box
//   inside    a JPEG XL with the environment after its frame, inside the
//             codestream's own box
//   oversize  a reply of more bytes than any such picture can take
//   failure   a failure that says a gibibyte of bytes follows, and sends a few
#include "worker/mapped_file.h"
#include "probe/output_check.h"
#include "engine/scale_and_encode.h"
#include "engine/vips_runtime.h"
#include "protocol/worker_protocol.h"

#include <QByteArray>

#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace imaging;

namespace {

constexpr int kChannel = worker::kChannelDescriptor;

// A request with the source and the picture's channel.
bool receiveRequest(worker::Request &request, int &source, int &channel)
{
    alignas(cmsghdr) char control[CMSG_SPACE(2 * sizeof(int))];
    iovec io{&request, sizeof request};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    if (::recvmsg(kChannel, &message, MSG_WAITALL) != ssize_t(sizeof request))
        return false;
    const cmsghdr *c = CMSG_FIRSTHDR(&message);
    if (!c || c->cmsg_type != SCM_RIGHTS || c->cmsg_len != CMSG_LEN(2 * sizeof(int)))
        return false;
    int descriptors[2];
    std::memcpy(descriptors, CMSG_DATA(c), sizeof descriptors);
    source = descriptors[0];
    channel = descriptors[1];
    return true;
}

bool reply(int channel, ConversionStatus status, const QByteArray &bytes, std::uint64_t claimed)
{
    worker::Reply header;
    header.status = std::uint32_t(status);
    header.byteCount = claimed;
    return worker::sendAll(channel, &header, sizeof header)
           && worker::sendAll(channel, bytes.constData(), std::size_t(bytes.size()));
}

// The real picture with a chunk or segment of text put in where the format
// allows one.
QByteArray withMetadata(QByteArray picture, OutputFormat format)
{
    const QByteArray secret("HOME=/root");
    if (format == OutputFormat::Jpeg)
        return picture.insert(2, QByteArray("\xFF\xFE\x00\x0C", 4) + secret);
    // tEXt ahead of IEND (its CRC is not checked by the program).
    const QByteArray chunk = QByteArray("\0\0\0\x0A", 4) + "tEXt" + secret + QByteArray(4, '\0');
    return picture.insert(picture.size() - 12, chunk);
}

QByteArray box(const char *type, const QByteArray &contents)
{
    const auto size = std::uint32_t(8 + contents.size());
    const char head[] = {char(size >> 24), char(size >> 16), char(size >> 8), char(size)};
    return QByteArray(head, 4) + type + contents;
}

// A bare codestream in a JPEG XL container, `extra` boxes after it.
QByteArray inContainer(const QByteArray &codestream, const QByteArray &extra)
{
    return box("JXL ", QByteArray("\r\n\x87\n", 4)) + box("ftyp", QByteArray("jxl \0\0\0\0jxl ", 12))
           + box("jxlc", codestream) + extra;
}

} // namespace

int main()
{
    if (!ensureVipsStarted())
        return EXIT_FAILURE;
    // It stands in for the real worker, whose loaders and savers it uses.
    allowUntrustedLoaders();
    const worker::Hello hello;
    if (!worker::sendAll(kChannel, &hello, sizeof hello))
        return EXIT_FAILURE;
    QByteArray forgery;
    worker::Request request;
    int source = -1;
    int channel = -1;
    // Like the real worker, a process for each picture, which greets, waits
    // to be told to go and answers on the picture's channel.
    while (receiveRequest(request, source, channel)) {
        const MappedFile file(source);
        const QByteArrayView bytes = file.bytes();
        if (const qsizetype marker = bytes.indexOf(QByteArrayView("FORGE:")); marker >= 0 && forgery.isEmpty())
            forgery = bytes.sliced(marker + 6).toByteArray().trimmed();
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(kChannel);
            const worker::Hello greeting;
            char go = 0;
            if (!worker::sendAll(channel, &greeting, sizeof greeting) || ::recv(channel, &go, 1, MSG_WAITALL) != 1)
                ::_exit(EXIT_FAILURE);
            const auto format = *worker::requestFormat(request.format);
            const OutputFormat other = format == OutputFormat::Png ? OutputFormat::Jpeg : OutputFormat::Png;
            const bool wider = forgery == "size";
            const Result<QByteArray> picture
                = scaleAndEncode({bytes, (request.flags & worker::kNameSaysTga) != 0, int(request.orientation)},
                                 request.width + (wider ? 1 : 0), request.height, forgery == "format" ? other : format,
                                 request.background);
            QByteArray out = picture ? *picture : QByteArray();
            if (forgery == "text")
                out = "root:$y$j9T$forged:19700:0:99999:7:::\n";
            else if (forgery == "trailer")
                out += "\nPATH=/usr/bin\nHOME=/root\n";
            else if (forgery == "metadata")
                out = withMetadata(out, format);
            else if (forgery == "boxes")
                out = inContainer(out, box("Exif", QByteArray(4, '\0') + "MM\0*HOME=/root"));
            else if (forgery == "inside")
                out = inContainer(out + "HOME=/root", QByteArray());
            std::uint64_t claimed = std::uint64_t(out.size());
            if (forgery == "oversize") {
                claimed = largestOutputBytes(format, request.width, request.height) + 1;
                out = QByteArray(qsizetype(claimed), '\0');
            }
            ConversionStatus status
                = picture || !forgery.isEmpty() ? ConversionStatus::Converted : picture.failure().status;
            if (forgery == "failure") {
                status = ConversionStatus::Damaged;
                claimed = std::uint64_t(1) << 30;
                out = "the rest never comes";
            }
            ::_exit(reply(channel, status, out, claimed) ? EXIT_SUCCESS : EXIT_FAILURE);
        }
        ::close(source);
        ::close(channel);
        worker::PictureEnded ended;
        ended.waitStatus = worker::kNotStarted;
        if (child > 0)
            ::waitpid(child, &ended.waitStatus, 0);
        if (!worker::sendAll(kChannel, &ended, sizeof ended))
            break;
    }
    return EXIT_SUCCESS;
}
