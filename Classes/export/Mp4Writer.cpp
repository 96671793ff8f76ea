#include "export/Mp4Writer.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <QFile>

#include <algorithm>

using namespace libav;

namespace {

// A QImage of 32-bit pixels in the machine's byte order.
constexpr AVPixelFormat kImageFormat =
    Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? AV_PIX_FMT_BGRA : AV_PIX_FMT_ARGB;

AVRational rational(int64_t num, int64_t den) {
    return AVRational{int(num), int(den)};
}

} // namespace

Mp4Writer::Mp4Writer(QString path, QSize size, FrameRate rate, int frameCount,
                     std::vector<SoundTrack::Cue> sounds)
    : path_(std::move(path)), size_(size), rate_(rate), frameCount_(frameCount),
      cues_(std::move(sounds)) {}

Mp4Writer::~Mp4Writer() {
    if (output_) {
        if (output_->pb)
            avio_closep(&output_->pb);
        avformat_free_context(output_);
    }
}

int64_t Mp4Writer::videoTimescale(const FrameRate& rate) {
    // MP4 players expect a clock of 10 kHz or more; a multiple of num keeps every start exact.
    const int64_t k = (10000 + rate.num - 1) / rate.num;
    return rate.num * k;
}

bool Mp4Writer::fail(QString* error, const QString& what, int code) {
    if (error)
        *error = code ? QStringLiteral("%1: %2").arg(what, errorText(code)) : what;
    return false;
}

bool Mp4Writer::begin(QString* error) {
    if (!track_.mix(cues_, rate_.startTick(frameCount_, SoundTrack::kSampleRate), error,
                    cancelFlag()))
        return isCancelled() ? fail(error, QStringLiteral("Cancelled"), 0) : false;
    int rc = avformat_alloc_output_context2(&output_, nullptr, "mp4",
                                            QFile::encodeName(path_).constData());
    if (rc < 0 || !output_)
        return fail(error, QStringLiteral("Could not make an MP4 file"), rc);
    if (!openVideo(error) || !openAudio(error))
        return false;
    if ((rc = avio_open(&output_->pb, QFile::encodeName(path_).constData(), AVIO_FLAG_WRITE)) < 0)
        return fail(error, QStringLiteral("Could not write %1").arg(path_), rc);
    AVDictionary* options = nullptr;
    // The index at the front: players start before the whole file has arrived.
    av_dict_set(&options, "movflags", "+faststart", 0);
    rc = avformat_write_header(output_, &options);
    av_dict_free(&options);
    if (rc < 0)
        return fail(error, QStringLiteral("Could not write %1").arg(path_), rc);
    headerWritten_ = true;
    packet_.reset(av_packet_alloc());
    return true;
}

bool Mp4Writer::openVideo(QString* error) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        return fail(error, QStringLiteral("This FFmpeg has no H.264 encoder (libx264)"), 0);
    video_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = video_.get();
    c->width = size_.width();
    c->height = size_.height();
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = rational(rate_.den, rate_.num);
    c->framerate = rational(rate_.num, rate_.den);
    c->sample_aspect_ratio = AVRational{1, 1};
    // swscale's default conversion is BT.601 in the limited range; say so in the stream.
    c->colorspace = AVCOL_SPC_SMPTE170M;
    c->color_primaries = AVCOL_PRI_SMPTE170M;
    c->color_trc = AVCOL_TRC_SMPTE170M;
    c->color_range = AVCOL_RANGE_MPEG;
    if (output_->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(c->priv_data, "preset", kPreset, 0);
    av_opt_set(c->priv_data, "crf", QByteArray::number(kCrf).constData(), 0);
    int rc = avcodec_open2(c, codec, nullptr);
    if (rc < 0)
        return fail(error, QStringLiteral("Could not start the H.264 encoder"), rc);
    videoStream_ = avformat_new_stream(output_, nullptr);
    videoStream_->time_base = rational(1, videoTimescale(rate_));
    videoStream_->avg_frame_rate = c->framerate;
    videoStream_->r_frame_rate = c->framerate;
    avcodec_parameters_from_context(videoStream_->codecpar, c);
    videoTicksPerFrame_ = rate_.den * (videoTimescale(rate_) / rate_.num);

    sws_.reset(sws_getContext(c->width, c->height, kImageFormat, c->width, c->height,
                              AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    picture_.reset(av_frame_alloc());
    picture_->format = c->pix_fmt;
    picture_->width = c->width;
    picture_->height = c->height;
    if (!sws_ || (rc = av_frame_get_buffer(picture_.get(), 0)) < 0)
        return fail(error, QStringLiteral("Out of memory for pictures"), rc);
    return true;
}

bool Mp4Writer::openAudio(QString* error) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec)
        return fail(error, QStringLiteral("This FFmpeg has no AAC encoder"), 0);
    audio_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = audio_.get();
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = SoundTrack::kSampleRate;
    av_channel_layout_default(&c->ch_layout, SoundTrack::kChannels);
    c->bit_rate = kAudioBitRate;
    c->time_base = rational(1, SoundTrack::kSampleRate);
    if (output_->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int rc = avcodec_open2(c, codec, nullptr);
    if (rc < 0)
        return fail(error, QStringLiteral("Could not start the AAC encoder"), rc);
    audioStream_ = avformat_new_stream(output_, nullptr);
    audioStream_->time_base = c->time_base;
    avcodec_parameters_from_context(audioStream_->codecpar, c);

    sound_.reset(av_frame_alloc());
    sound_->format = c->sample_fmt;
    sound_->sample_rate = c->sample_rate;
    sound_->nb_samples = c->frame_size;
    av_channel_layout_copy(&sound_->ch_layout, &c->ch_layout);
    if ((rc = av_frame_get_buffer(sound_.get(), 0)) < 0)
        return fail(error, QStringLiteral("Out of memory for sound"), rc);
    return true;
}

bool Mp4Writer::encode(AVCodecContext* encoder, AVStream* stream, AVFrame* frame, QString* error) {
    int rc = avcodec_send_frame(encoder, frame);
    if (rc < 0)
        return fail(error, QStringLiteral("Could not encode"), rc);
    while ((rc = avcodec_receive_packet(encoder, packet_.get())) >= 0) {
        av_packet_rescale_ts(packet_.get(), encoder->time_base, stream->time_base);
        if (stream == videoStream_)
            packet_->duration = videoTicksPerFrame_;
        packet_->stream_index = stream->index;
        rc = av_interleaved_write_frame(output_, packet_.get());
        if (rc < 0)
            return fail(error, QStringLiteral("Could not write %1").arg(path_), rc);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        return fail(error, QStringLiteral("Could not encode"), rc);
    return true;
}

bool Mp4Writer::encodeAudioUntil(int64_t until, QString* error) {
    const int64_t length = track_.length();
    until = std::min(until, length);
    const int64_t frameSize = audio_->frame_size;
    const float* mixed = track_.samples().data();
    // Whole frames only, but for the very last one.
    while (until - audioWritten_ >= frameSize || (until == length && audioWritten_ < length)) {
        const int n = int(std::min(frameSize, length - audioWritten_));
        int rc = av_frame_make_writable(sound_.get());
        if (rc < 0)
            return fail(error, QStringLiteral("Out of memory for sound"), rc);
        sound_->nb_samples = n;
        for (int ch = 0; ch < SoundTrack::kChannels; ++ch) {
            auto* out = reinterpret_cast<float*>(sound_->data[ch]);
            const float* in = mixed + audioWritten_ * SoundTrack::kChannels + ch;
            for (int s = 0; s < n; ++s)
                out[s] = in[s * SoundTrack::kChannels];
        }
        sound_->pts = audioWritten_;
        audioWritten_ += n;
        if (!encode(audio_.get(), audioStream_, sound_.get(), error))
            return false;
    }
    return true;
}

bool Mp4Writer::addFrame(int, int index, const QImage& image, QString* error) {
    int rc = av_frame_make_writable(picture_.get());
    if (rc < 0)
        return fail(error, QStringLiteral("Out of memory for pictures"), rc);
    const uint8_t* planes[1] = {image.constBits()};
    const int strides[1] = {int(image.bytesPerLine())};
    sws_scale(sws_.get(), planes, strides, 0, image.height(), picture_->data, picture_->linesize);
    picture_->pts = index;
    if (!encode(video_.get(), videoStream_, picture_.get(), error))
        return false;
    return encodeAudioUntil(rate_.startTick(index + 1, SoundTrack::kSampleRate), error);
}

bool Mp4Writer::finish(QString* error) {
    if (!encode(video_.get(), videoStream_, nullptr, error) ||
        !encodeAudioUntil(track_.length(), error) ||
        !encode(audio_.get(), audioStream_, nullptr, error))
        return false;
    int rc = av_write_trailer(output_);
    if (rc < 0)
        return fail(error, QStringLiteral("Could not write %1").arg(path_), rc);
    avio_flush(output_->pb);
    rc = output_->pb->error;
    const int closed = avio_closep(&output_->pb);
    if (rc < 0 || closed < 0)
        return fail(error, QStringLiteral("Could not write %1").arg(path_), rc < 0 ? rc : closed);
    return true;
}
