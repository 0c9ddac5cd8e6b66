#include "SaveFileIO.h"

#include "TranscodeError.h"

#include <new>

namespace {

constexpr int bufferSize = 1 << 16;
const QString writeFailed = QStringLiteral("Could not write the movie");

} // namespace

SaveFileIO::SaveFileIO(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly))
        throw MediaError(writeFailed, m_file.errorString());
    auto* buffer = static_cast<unsigned char*>(av_malloc(bufferSize));
    if (!buffer)
        throw std::bad_alloc();
    m_context.reset(avio_alloc_context(buffer, bufferSize, 1, this, nullptr, &SaveFileIO::write, &SaveFileIO::seek));
    if (!m_context) {
        av_free(buffer);
        throw std::bad_alloc();
    }
}

void SaveFileIO::commit()
{
    avio_flush(m_context.get());
    if (m_context->error < 0)
        throw MediaError(writeFailed, m_context->error);
    if (!m_file.commit())
        throw MediaError(writeFailed, m_file.errorString());
}

int SaveFileIO::write(void* opaque, uint8_t* data, int size)
{
    QSaveFile& file = static_cast<SaveFileIO*>(opaque)->m_file;
    return file.write(reinterpret_cast<const char*>(data), size) == size ? size : AVERROR(EIO);
}

int64_t SaveFileIO::seek(void* opaque, int64_t offset, int whence)
{
    QSaveFile& file = static_cast<SaveFileIO*>(opaque)->m_file;
    if (whence & AVSEEK_SIZE)
        return file.size();
    int64_t target = offset;
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        target += file.pos();
        break;
    case SEEK_END:
        target += file.size();
        break;
    default:
        return AVERROR(EINVAL);
    }
    return target >= 0 && file.seek(target) ? target : AVERROR(EIO);
}
