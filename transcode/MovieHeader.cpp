#include "MovieHeader.h"

#include "FFmpegHandles.h"

#include <QByteArray>
#include <QList>

namespace {

// The file opened far enough to read its metadata; null when it cannot be read.
FFmpeg::InputPtr openHeader(const QString& path)
{
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return nullptr;
    return FFmpeg::InputPtr(opened);
}

// The comments of the file and of its streams, in that order, each value of each.
QList<QByteArray> userComments(const AVFormatContext& input)
{
    QList<QByteArray> comments;
    const auto collect = [&comments](const AVDictionary* dictionary) {
        const AVDictionaryEntry* entry = nullptr;
        while ((entry = av_dict_get(dictionary, "comment", entry, AV_DICT_IGNORE_SUFFIX))) {
            // "comment" itself or one in a language, such as "comment-eng".
            const QByteArray key(entry->key);
            if (key.size() == 7 || key.at(7) == '-')
                comments.append(QByteArray(entry->value));
        }
    };
    collect(input.metadata);
    for (unsigned i = 0; i < input.nb_streams; ++i)
        collect(input.streams[i]->metadata);
    return comments;
}

} // namespace

namespace MovieHeader {

std::optional<EmbeddedMetadata> metadata(const QString& path)
{
    const FFmpeg::InputPtr input = openHeader(path);
    if (!input)
        return std::nullopt;
    for (const QByteArray& comment : userComments(*input))
        if (auto metadata = EmbeddedMetadata::fromJson(comment))
            return metadata;
    return std::nullopt;
}

std::optional<QString> title(const QString& path)
{
    const FFmpeg::InputPtr input = openHeader(path);
    const AVDictionaryEntry* title = input ? av_dict_get(input->metadata, "title", nullptr, 0) : nullptr;
    if (!title || !*title->value)
        return std::nullopt;
    return QString::fromUtf8(title->value);
}

} // namespace MovieHeader
