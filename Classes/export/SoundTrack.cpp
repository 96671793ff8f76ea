#include "export/SoundTrack.h"

#include "export/LibavSupport.h"

#include <QFile>
#include <QHash>

#include <algorithm>

using namespace libav;

bool SoundTrack::decode(const QString& path, std::vector<float>& samples, QString* error) {
    samples.clear();
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Could not read the sound %1: %2").arg(path, why);
        return false;
    };
    AVFormatContext* raw = nullptr;
    int rc = avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (rc < 0)
        return fail(errorText(rc));
    InputPtr input(raw);
    if ((rc = avformat_find_stream_info(input.get(), nullptr)) < 0)
        return fail(errorText(rc));
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream < 0 || !codec)
        return fail(QStringLiteral("no sound in it"));
    CodecPtr decoder(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(decoder.get(), input->streams[stream]->codecpar);
    if ((rc = avcodec_open2(decoder.get(), codec, nullptr)) < 0)
        return fail(errorText(rc));

    AVChannelLayout inLayout;
    if (decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&inLayout, decoder->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&inLayout, &decoder->ch_layout);
    // A mono sound plays at full level on both sides, as the editor plays it: resampled as
    // mono and copied, not spread over the two channels at -3 dB as swresample would.
    const bool mono = inLayout.nb_channels == 1;
    const int channels = mono ? 1 : kChannels;
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, channels);
    SwrContext* swrRaw = nullptr;
    rc = swr_alloc_set_opts2(&swrRaw, &outLayout, AV_SAMPLE_FMT_FLT, kSampleRate, &inLayout,
                             decoder->sample_fmt, decoder->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    SwrPtr swr(swrRaw);
    if (rc < 0 || (rc = swr_init(swr.get())) < 0)
        return fail(errorText(rc));

    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    auto convert = [&](const uint8_t** in, int inCount) {
        const int room = swr_get_out_samples(swr.get(), inCount);
        if (room <= 0)
            return 0;
        const size_t at = samples.size();
        samples.resize(at + size_t(room) * size_t(channels));
        uint8_t* out = reinterpret_cast<uint8_t*>(samples.data() + at);
        const int got = swr_convert(swr.get(), &out, room, in, inCount);
        samples.resize(at + size_t(std::max(got, 0)) * size_t(channels));
        return got;
    };
    auto drain = [&]() {
        while ((rc = avcodec_receive_frame(decoder.get(), frame.get())) >= 0) {
            convert(const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            av_frame_unref(frame.get());
        }
        return rc == AVERROR(EAGAIN) || rc == AVERROR_EOF;
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream) {
            rc = avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
            if (rc < 0 || !drain())
                return fail(errorText(rc));
        } else {
            av_packet_unref(packet.get());
        }
    }
    avcodec_send_packet(decoder.get(), nullptr);
    if (!drain())
        return fail(errorText(rc));
    // What the resampler still holds.
    while (convert(nullptr, 0) > 0) {
    }
    if (mono) {
        samples.resize(samples.size() * kChannels);
        for (size_t i = samples.size() / kChannels; i-- > 0;)
            for (int ch = 0; ch < kChannels; ++ch)
                samples[i * kChannels + size_t(ch)] = samples[i];
    }
    return true;
}

bool SoundTrack::mix(const std::vector<Cue>& cues, int64_t minSamples, QString* error,
                     const std::atomic<bool>* cancelled) {
    samples_.assign(size_t(std::max<int64_t>(minSamples, 0)) * kChannels, 0.0f);
    QHash<QString, std::vector<float>> decoded;
    for (const Cue& cue : cues) {
        if (cancelled && cancelled->load())
            return false;
        auto it = decoded.find(cue.path);
        if (it == decoded.end()) {
            std::vector<float> sound;
            if (!decode(cue.path, sound, error))
                return false;
            it = decoded.insert(cue.path, std::move(sound));
        }
        const std::vector<float>& sound = *it;
        const size_t at = size_t(std::max<int64_t>(cue.startSample, 0)) * kChannels;
        if (samples_.size() < at + sound.size())
            samples_.resize(at + sound.size(), 0.0f);
        std::transform(sound.begin(), sound.end(), samples_.begin() + ptrdiff_t(at),
                       samples_.begin() + ptrdiff_t(at), std::plus<float>());
    }
    for (float& s : samples_)
        s = std::clamp(s, -1.0f, 1.0f);
    return true;
}
