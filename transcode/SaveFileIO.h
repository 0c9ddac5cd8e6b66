#pragma once

#include "FFmpegHandles.h"

#include <QSaveFile>

// An FFmpeg output that writes into a QSaveFile: the file appears whole at commit()
// and a writer that is dropped before leaves nothing behind.
class SaveFileIO
{
public:
    // Throws MediaError when the file cannot be opened.
    explicit SaveFileIO(const QString& path);

    AVIOContext* context() const { return m_context.get(); }
    // Flushes and puts the file in place; throws MediaError on a write failure.
    void commit();

private:
    static int write(void* opaque, uint8_t* data, int size);
    static int64_t seek(void* opaque, int64_t offset, int whence);

    QSaveFile m_file;
    FFmpeg::IOContextPtr m_context;
};
