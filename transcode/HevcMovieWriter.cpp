#include "HevcMovieWriter.h"

#include "TranscodeError.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>

namespace {

const char* const writeFailed = "Could not write the movie";

FFmpeg::CodecPtr openEncoder(const HevcSettings& settings, bool globalHeader)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx265");
    if (!codec)
        throw TranscodeError(TranscodeError::Kind::exportSessionFailed);
    FFmpeg::CodecPtr encoder(avcodec_alloc_context3(codec));
    if (!encoder)
        throw std::bad_alloc();
    encoder->width = settings.size.width();
    encoder->height = settings.size.height();
    encoder->pix_fmt = settings.pixelFormat;
    encoder->time_base = settings.timeBase;
    encoder->framerate = settings.frameRate;
    encoder->bit_rate = settings.bitRate;
    encoder->sample_aspect_ratio = settings.sampleAspectRatio;
    encoder->color_primaries = settings.colorPrimaries;
    encoder->color_trc = settings.colorTransfer;
    encoder->colorspace = settings.colorSpace;
    encoder->color_range = settings.colorRange;
    if (globalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // x265 takes its frame threads from this: 0 lets it pick them, and its thread
    // pool, for the machine, as the ffmpeg command line does. The default of one
    // frame at a time leaves most cores idle.
    encoder->thread_count = 0;

    AVDictionary* options = nullptr;
    av_dict_set(&options, "preset", HevcSettings::preset, 0);
    av_dict_set(&options, "x265-params", "log-level=error", 0);
    if (settings.profile)
        av_dict_set(&options, "profile", settings.profile, 0);
    const int opened = avcodec_open2(encoder.get(), codec, &options);
    av_dict_free(&options);
    if (opened < 0)
        throw TranscodeError(TranscodeError::Kind::exportSessionFailed);
    return encoder;
}

} // namespace

HevcMovieWriter::HevcMovieWriter(const QString& destination, const HevcSettings& settings)
    : m_settings(settings), m_io(destination), m_converter(settings.size, settings.pixelFormat)
{
    AVFormatContext* output = nullptr;
    checkAV(avformat_alloc_output_context2(&output, nullptr, "mov", nullptr), writeFailed);
    m_output.reset(output);
    output->pb = m_io.context();
    output->flags |= AVFMT_FLAG_CUSTOM_IO;

    m_encoder = openEncoder(settings, output->oformat->flags & AVFMT_GLOBALHEADER);
    m_frameDuration = std::max<int64_t>(1, av_rescale_q(1, av_inv_q(settings.frameRate), settings.timeBase));

    m_stream = avformat_new_stream(output, nullptr);
    if (!m_stream)
        throw std::bad_alloc();
    checkAV(avcodec_parameters_from_context(m_stream->codecpar, m_encoder.get()), writeFailed);
    m_stream->codecpar->codec_tag = MKTAG('h', 'v', 'c', '1');
    m_stream->time_base = settings.timeBase;
    if (const auto& matrix = settings.orientation.displayMatrix()) {
        uint8_t* data = av_stream_new_side_data(m_stream, AV_PKT_DATA_DISPLAYMATRIX, sizeof *matrix);
        if (!data)
            throw std::bad_alloc();
        std::memcpy(data, matrix->data(), sizeof *matrix);
    }
    checkAV(avformat_write_header(output, nullptr), writeFailed);
}

bool HevcMovieWriter::push(const AVFrame& frame)
{
    FFmpeg::FramePtr picture = FFmpeg::shareFrame(m_converter.convert(frame));
    // The source's frame types are no orders for this encoder.
    picture->pict_type = AV_PICTURE_TYPE_NONE;
    checkAV(avcodec_send_frame(m_encoder.get(), picture.get()), "Could not encode the video");
    ++m_framesSent;
    writeEncodedPackets();
    return true;
}

void HevcMovieWriter::finish()
{
    if (m_framesSent == 0)
        throw TranscodeError(TranscodeError::Kind::exportFailed, 0);
    checkAV(avcodec_send_frame(m_encoder.get(), nullptr), "Could not encode the video");
    writeEncodedPackets();
    checkAV(av_write_trailer(m_output.get()), writeFailed);
    m_io.commit();
}

void HevcMovieWriter::writeEncodedPackets()
{
    while (true) {
        const int received = avcodec_receive_packet(m_encoder.get(), m_packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return;
        checkAV(received, "Could not encode the video");
        if (m_packet->duration <= 0)
            m_packet->duration = m_frameDuration;
        av_packet_rescale_ts(m_packet.get(), m_encoder->time_base, m_stream->time_base);
        m_packet->stream_index = m_stream->index;
        checkAV(av_interleaved_write_frame(m_output.get(), m_packet.get()), writeFailed);
    }
}
