#include "probe/read_picture_size.h"

#include "probe/header_probe.h"
#include "platform/read_only_file.h"

namespace imaging {

namespace {

class FileByteSource final : public ByteSource {
public:
    explicit FileByteSource(const platform::ReadOnlyFile &file) : m_file(file) { }
    std::uint64_t size() const override { return m_file.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override { return m_file.readAt(offset, out); }

private:
    const platform::ReadOnlyFile &m_file;
};

} // namespace

bool hasTgaName(const QString &path) { return path.endsWith(QLatin1String(".tga"), Qt::CaseInsensitive); }

PictureHeader readPictureHeader(const platform::ReadOnlyFile &file, bool tgaName)
{
    if (!file.isOpen())
        return {};
    FileByteSource bytes(file);
    BlockedByteSource blocks(bytes);
    return probePictureHeader(blocks, tgaName);
}

PictureSize ReadPictureSize(const QString &path)
{
    if (path.isEmpty())
        return {};
    return readPictureHeader(platform::ReadOnlyFile(path), hasTgaName(path)).shown();
}

} // namespace imaging
