// What a picture may cost: budgets that hold for any declared size, memory in
// proportion to the picture rather than to what its header claims, files too
// large to read, and a reason of each picture's own.
#include "client/conversion_worker.h"
#include "client/save_scaled_picture.h"
#include "client/worker_budget.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <limits>
#include <thread>
#include <zlib.h>

using imaging::ConversionStatus;
using namespace std::chrono_literals;

namespace {

constexpr platform::ColourValue kBackground = 0xEFEFEF;
constexpr std::int64_t k2To62 = std::int64_t(1) << 62;

QByteArray be32(std::uint32_t v)
{
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

QByteArray pngChunk(const QByteArray &type, const QByteArray &data)
{
    const QByteArray body = type + data;
    return be32(std::uint32_t(data.size())) + body
           + be32(std::uint32_t(::crc32(0, reinterpret_cast<const Bytef *>(body.data()), uInt(body.size()))));
}

// `bytes` `times` over through zlib, a block at a time.
QByteArray deflated(const QByteArray &bytes, int times)
{
    z_stream stream{};
    deflateInit(&stream, Z_BEST_SPEED);
    QByteArray out;
    std::vector<unsigned char> buffer(1 << 16);
    for (int i = 0; i <= times; ++i) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
        stream.avail_in = i < times ? uInt(bytes.size()) : 0;
        do {
            stream.next_out = buffer.data();
            stream.avail_out = uInt(buffer.size());
            deflate(&stream, i < times ? Z_NO_FLUSH : Z_FINISH);
            out.append(reinterpret_cast<const char *>(buffer.data()), qsizetype(buffer.size() - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

QByteArray pngSignatureAndHeader()
{
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", be32(1) + be32(1) + QByteArray("\x08\x02\0\0\0", 5));
}

// A PNG of one pixel, with `extra` between its header and its pixels.
QByteArray onePixelPng(const QByteArray &extra)
{
    return pngSignatureAndHeader() + extra + pngChunk("IDAT", deflated(QByteArray("\0\x10\x20\x30", 4), 1))
           + pngChunk("IEND", {});
}

} // namespace

TEST(WorkerBudget, NoDeclaredSizeOverflowsTheTimeOrTheMemory)
{
    imaging::WorkerBudget budget;
    // 2^62 pixels at 0.3 s a megapixel is 1.4e12 s, past what the deadline's
    // clock holds: such a picture timed out at once.
    EXPECT_EQ(budget.timeFor(k2To62), std::chrono::milliseconds(24h));
    EXPECT_EQ(budget.timeFor(std::numeric_limits<std::int64_t>::max()), std::chrono::milliseconds(24h));
    EXPECT_EQ(budget.timeFor(-1), 15s);
    EXPECT_EQ(budget.timeFor(100'000'000), 45s);
    EXPECT_EQ(budget.memoryFor(k2To62, std::numeric_limits<std::uint64_t>::max(), 1 << 30),
              std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(budget.memoryFor(1'000'000, 5000, 2), (192u << 20) + (32u << 20) + 24'000'000u + 5000u);
    // The outputs count too, and the decode several sizes hold.
    EXPECT_EQ(budget.timeFor(100'000'000, 268'402'689), 45s + 268 * 3s);
    EXPECT_EQ(budget.timeFor(0, std::numeric_limits<std::uint64_t>::max()), std::chrono::milliseconds(24h));
    EXPECT_EQ(budget.memoryFor(1'000'000, 5000, 2, 3'000'000, true),
              (192u << 20) + (32u << 20) + 24'000'000u + 5000u + 72'000'000u + 16'000'000u);
    EXPECT_EQ(budget.memoryFor(1, 0, 1, std::numeric_limits<std::uint64_t>::max()),
              std::numeric_limits<std::uint64_t>::max());
    budget.memoryBytes = 1u << 30;
    EXPECT_EQ(budget.memoryFor(k2To62, 0, 1), 1u << 30);

    // Handed to a worker with such a declared size, a picture converts.
    TempDir dir;
    testpics::save(testpics::gradient(40, 30), dir.file("small.png"), ".png");
    imaging::ConversionWorker worker;
    const int source = ::open(QFile::encodeName(dir.file("small.png")).constData(), O_RDONLY | O_CLOEXEC);
    imaging::WorkerTask task{20, 15, imaging::OutputFormat::Png, kBackground};
    task.declaredPixels = k2To62;
    const auto bytes = worker.convert(source, task);
    ::close(source);
    EXPECT_TRUE(bytes) << bytes.failure().detail.toStdString();
}

TEST(WorkerBudget, PicturesTakeMemoryInTurnAndNeverMoreThanTheShare)
{
    imaging::MemoryShare share(100);
    ASSERT_TRUE(share.take(60, nullptr));
    std::vector<int> order;
    std::mutex mutex;
    auto taker = [&](std::uint64_t bytes, int name) {
        return std::thread([&, bytes, name] {
            share.take(bytes, nullptr);
            const std::lock_guard lock(mutex);
            order.push_back(name);
        });
    };
    std::thread large = taker(70, 70);
    while (share.waiting() < 1)
        std::this_thread::yield();
    // Ten would fit beside the sixty, but the seventy asked first.
    std::thread small = taker(10, 10);
    while (share.waiting() < 2)
        std::this_thread::yield();
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(order.empty());
    // Room for the seventy alone: it goes, the ten still waits its turn.
    share.giveBack(30);
    large.join();
    EXPECT_EQ(order, (std::vector<int>{70}));
    EXPECT_EQ(share.waiting(), 1u);
    share.giveBack(30);
    small.join();
    EXPECT_EQ(order, (std::vector<int>{70, 10}));
    EXPECT_EQ(share.lent(), 80u);

    // More than the share waits for all of it, and a stop ends the wait.
    std::atomic<bool> abandon{false};
    std::thread all([&] { EXPECT_FALSE(share.take(1000, &abandon)); });
    while (share.waiting() < 1)
        std::this_thread::yield();
    abandon = true;
    all.join();
    EXPECT_EQ(share.lent(), 80u);
    share.giveBack(80);
    EXPECT_TRUE(share.take(1000, nullptr));
    EXPECT_EQ(share.lent(), 100u);
}

TEST(WorkerBudget, AFewBytesNeverCostHundredsOfMegabytes)
{
    // Each file in a worker of its own, whose peak resident memory is then
    // read from the kernel (wait4). An idle worker holds about 35 MB.
    constexpr long kMostKb = 100 * 1024;
    const QByteArray claim2GiB = be32(0x7FFFFFFF);
    struct Case {
        const char *name;
        QByteArray bytes;
        ConversionStatus status;
    };
    std::vector<Case> cases;
    // A text, profile or unknown chunk whose length says 2 GiB, in 47 bytes:
    // libpng set the 2 GiB aside before it found the file had ended.
    for (const char *type : {"tEXt", "zTXt", "iTXt", "iCCP", "sPLT", "eXIf", "prIV"}) {
        cases.push_back(
            {type, pngSignatureAndHeader() + claim2GiB + type + QByteArray("k\0\0xyz", 6), ConversionStatus::Damaged});
    }
    // A megabyte of compressed text and profile that inflate to 256 MB.
    const QByteArray inflating = deflated(QByteArray(1 << 20, '\0'), 256);
    cases.push_back(
        {"zTXt bomb", onePixelPng(pngChunk("zTXt", QByteArray("k\0\0", 3) + inflating)), ConversionStatus::Converted});
    cases.push_back({"iCCP bomb", onePixelPng(pngChunk("iCCP", QByteArray("icc\0\0", 5) + inflating)),
                     ConversionStatus::Converted});
    // TGA and BMP headers declaring 20000 x 20000 over a few bytes of pixels.
    QByteArray tga(18, '\0');
    tga[2] = 10;
    tga[12] = tga[14] = char(20000 & 0xFF);
    tga[13] = tga[15] = char(20000 >> 8);
    tga[16] = 24;
    cases.push_back({"tga", tga + QByteArray("\xFF\x10\x20\x30", 4), ConversionStatus::Damaged});
    QByteArray bmp("BM", 2);
    bmp += QByteArray(12, '\0') + QByteArray("\x28\0\0\0\x20\x4E\0\0\x20\x4E\0\0\x01\0\x18\0", 16)
           + QByteArray(24, '\0');
    bmp[10] = 54;
    cases.push_back({"bmp", bmp + QByteArray(30, '\x55'), ConversionStatus::Damaged});

    TempDir dir;
    for (const Case &c : cases) {
        const QString name = QString::fromLatin1(c.name) + (QByteArray(c.name) == "tga" ? ".tga" : ".png");
        writeFile(dir.file(name), c.bytes);
        imaging::ConversionWorker worker;
        EXPECT_EQ(imaging::convertPicture(worker, dir.file(name), dir.file("out.png"), 1, 1, kBackground).status,
                  c.status)
            << c.name;
        worker.shutDown();
        EXPECT_GT(worker.endedWorkersPeakKb(), 0) << c.name;
        EXPECT_LT(worker.endedWorkersPeakKb(), kMostKb) << c.name;
    }
}

TEST(WorkerBudget, AFileOverFourGibibytesIsTooLargeNotACrash)
{
    TempDir dir;
    testpics::save(testpics::gradient(40, 30), dir.file("small.png"), ".png");
    QFile huge(dir.file("huge.png"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(readFile(dir.file("small.png")));
    ASSERT_TRUE(huge.resize((qint64(4) << 30) + 1)); // sparse: no disk taken
    huge.close();

    int handedOver = 0;
    imaging::WorkerSettings settings;
    settings.pictureSent = [&](pid_t) { ++handedOver; };
    imaging::ConversionWorker worker(settings);
    EXPECT_EQ(imaging::convertPicture(worker, dir.file("huge.png"), dir.file("out.png"), 20, 15, kBackground).status,
              ConversionStatus::TooLarge);
    EXPECT_EQ(handedOver, 0);
    // A worker handed one anyway says so too, and goes on.
    const int source = ::open(QFile::encodeName(dir.file("huge.png")).constData(), O_RDONLY | O_CLOEXEC);
    const auto bytes = worker.convert(source, {20, 15, imaging::OutputFormat::Png, kBackground});
    ::close(source);
    ASSERT_FALSE(bytes);
    EXPECT_EQ(bytes.failure().status, ConversionStatus::TooLarge) << bytes.failure().detail.toStdString();
    EXPECT_EQ(imaging::convertPicture(worker, dir.file("small.png"), dir.file("out.png"), 20, 15, kBackground).status,
              ConversionStatus::Converted);
    EXPECT_FALSE(QFile::exists(dir.file("huge-out.png")));
}

TEST(WorkerBudget, EachPictureIsJudgedByItsOwnMessages)
{
    // A PNG of 9000 x 9000 interlaced pixels, which libvips decodes into one
    // buffer of 243 MB, more than a worker of 256 MB has left.
    const QByteArray interlaced = be32(9000) + be32(9000) + QByteArray("\x08\x02\0\0\x01", 5);
    const QByteArray bomb = QByteArray("\x89PNG\r\n\x1A\n", 8) + pngChunk("IHDR", interlaced)
                            + pngChunk("IDAT", deflated(QByteArray(4, '\0'), 1)) + pngChunk("IEND", {});
    TempDir dir;
    writeFile(dir.file("bomb.png"), bomb);
    testpics::save(testpics::gradient(300, 200), dir.file("good.png"), ".png[compression=0]");
    QByteArray crc = readFile(dir.file("good.png"));
    crc[crc.size() / 2] = char(crc[crc.size() / 2] ^ 0x55); // inside the pixels: their chunk's CRC fails
    writeFile(dir.file("crc.png"), crc);
    writeFile(dir.file("cut.png"), crc.left(crc.size() / 3));

    imaging::WorkerSettings settings;
    settings.budget.memoryBytes = 256u << 20;
    auto convert = [&](imaging::ConversionWorker &worker, const char *name) {
        return imaging::convertPicture(worker, dir.file(name), dir.file("out.png"), 30, 20, kBackground);
    };
    imaging::ConversionWorker reused(settings);
    EXPECT_EQ(convert(reused, "bomb.png").status, ConversionStatus::OutOfMemory);
    for (const char *name : {"crc.png", "cut.png", "crc.png"}) {
        imaging::ConversionWorker fresh(settings);
        const imaging::ConversionResult alone = convert(fresh, name);
        const imaging::ConversionResult after = convert(reused, name);
        EXPECT_EQ(after.status, ConversionStatus::Damaged) << name;
        // Not the earlier picture's "out of memory", nor its words.
        EXPECT_EQ(after.detail, alone.detail) << name;
        EXPECT_FALSE(after.detail.contains(QLatin1String("memory"))) << after.detail.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.file("out.png")));
}
