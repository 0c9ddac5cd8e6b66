#include "VideoSource.h"

#include "TranscodeError.h"

#include <algorithm>
#include <vector>

namespace {

AVStream* firstVideoStream(AVFormatContext& input)
{
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        AVStream* stream = input.streams[i];
        // Cover art is stored as a one-picture video stream; it is not the video.
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return stream;
    }
    return nullptr;
}

// Reads packets until every stream's parameters are known, with the
// decoders it opens for that held to the picture size the import takes.
int findStreamInfo(AVFormatContext& input)
{
    std::vector<AVDictionary*> options(input.nb_streams, nullptr);
    for (AVDictionary*& streamOptions : options)
        av_dict_set_int(&streamOptions, "max_pixels", VideoSource::maxPixels, 0);
    const int found = avformat_find_stream_info(&input, options.data());
    for (AVDictionary*& streamOptions : options)
        av_dict_free(&streamOptions);
    return found;
}

} // namespace

VideoSource::VideoSource(const QString& path, CancelCheck isCancelled) : m_isCancelled(std::move(isCancelled))
{
    AVFormatContext* input = avformat_alloc_context();
    if (!input)
        throw std::bad_alloc();
    input->interrupt_callback = { &VideoSource::interrupt, this };
    // avformat_open_input frees the context itself when it fails.
    const int opened = avformat_open_input(&input, path.toUtf8().constData(), nullptr, nullptr);
    throwIfCancelled(m_isCancelled);
    checkAV(opened, "Could not open the video");
    m_input.reset(input);
    checkAV(findStreamInfo(*input), "Could not read the video");

    m_stream = firstVideoStream(*input);
    if (!m_stream)
        throw TranscodeError(TranscodeError::Kind::noVideoTrack);
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (input->streams[i] != m_stream)
            input->streams[i]->discard = AVDISCARD_ALL;

    const AVCodec* codec = avcodec_find_decoder(m_stream->codecpar->codec_id);
    if (!codec)
        throw MediaError(QStringLiteral("Could not decode the video"),
            QStringLiteral("no decoder for %1").arg(avcodec_get_name(m_stream->codecpar->codec_id)));
    m_decoder.reset(avcodec_alloc_context3(codec));
    if (!m_decoder)
        throw std::bad_alloc();
    checkAV(avcodec_parameters_to_context(m_decoder.get(), m_stream->codecpar), "Could not decode the video");
    m_decoder->pkt_timebase = m_stream->time_base;
    m_decoder->max_pixels = maxPixels;
    m_decoder->thread_count = 0; // one per core
    m_decoder->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    checkAV(avcodec_open2(m_decoder.get(), codec, nullptr), "Could not decode the video");

    m_orientation = VideoOrientation::ofStream(*m_stream);
    const AVRational rate = av_guess_frame_rate(input, m_stream, nullptr);
    if (rate.num > 0 && rate.den > 0)
        m_frameRate = rate;
    if (input->duration > 0)
        m_durationSeconds = input->duration / double(AV_TIME_BASE);
    else if (m_stream->duration > 0)
        m_durationSeconds = m_stream->duration * av_q2d(m_stream->time_base);
}

int VideoSource::interrupt(void* opaque)
{
    const auto* source = static_cast<const VideoSource*>(opaque);
    return source->m_isCancelled && source->m_isCancelled() ? 1 : 0;
}

bool VideoSource::read(AVFrame& frame)
{
    while (true) {
        throwIfCancelled(m_isCancelled);
        if (receive(frame))
            return true;
        if (m_draining)
            return false;
        const int result = av_read_frame(m_input.get(), m_packet.get());
        throwIfCancelled(m_isCancelled);
        if (result == AVERROR_EOF) {
            m_draining = true;
            avcodec_send_packet(m_decoder.get(), nullptr);
            continue;
        }
        checkAV(result, "Could not read the video");
        if (m_packet->stream_index == m_stream->index) {
            // A damaged packet costs its frame, not the whole file.
            const int sent = avcodec_send_packet(m_decoder.get(), m_packet.get());
            if (sent < 0 && sent != AVERROR_INVALIDDATA)
                checkAV(sent, "Could not decode the video");
        }
        av_packet_unref(m_packet.get());
    }
}

bool VideoSource::receive(AVFrame& frame)
{
    av_frame_unref(&frame);
    const int result = avcodec_receive_frame(m_decoder.get(), &frame);
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
        return false;
    checkAV(result, "Could not decode the video");

    const int64_t step = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(m_frameRate), m_stream->time_base));
    int64_t pts = 0;
    if (frame.best_effort_timestamp == AV_NOPTS_VALUE) {
        pts = m_lastPts == AV_NOPTS_VALUE ? 0 : m_lastPts + step;
    } else {
        if (m_origin == AV_NOPTS_VALUE)
            m_origin = frame.best_effort_timestamp;
        pts = frame.best_effort_timestamp - m_origin;
    }
    // Encoders and muxers need strictly rising time stamps.
    if (m_lastPts != AV_NOPTS_VALUE && pts <= m_lastPts)
        pts = m_lastPts + 1;
    m_lastPts = pts;
    frame.pts = pts;
    if (frame.pkt_duration <= 0)
        frame.pkt_duration = step;
    return true;
}
