#include "ExportTestSupport.h"

#include "SaveTestSupport.h"
#include "document/Frame.h"
#include "engine/CCDirector.h"
#include "engine/CCLayer.h"
#include "engine/CCScene.h"
#include "engine/CCSprite.h"
#include "items/BoundingSprite.h"
#include "items/Hmn.h"
#include "items/SpeechBubble.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace exporttest {

namespace {

// Decodes every packet of one stream, calling `take` with each frame.
template <class Take>
void decodeStream(AVFormatContext* input, int stream, AVCodecContext* decoder, Take take) {
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto drain = [&] {
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            take(frame);
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(input, packet) >= 0) {
        if (packet->stream_index == stream) {
            avcodec_send_packet(decoder, packet);
            drain();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
}

AVCodecContext* openDecoder(AVFormatContext* input, int stream) {
    const AVCodecParameters* par = input->streams[stream]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    AVCodecContext* c = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(c, par);
    c->pkt_timebase = input->streams[stream]->time_base;
    if (avcodec_open2(c, codec, nullptr) < 0)
        avcodec_free_context(&c);
    return c;
}

// One channel from any sample format: the mean of the channels.
void appendMono(const AVFrame* f, std::vector<float>& out) {
    const int channels = f->ch_layout.nb_channels;
    const auto fmt = AVSampleFormat(f->format);
    const bool planar = av_sample_fmt_is_planar(fmt);
    for (int s = 0; s < f->nb_samples; ++s) {
        float sum = 0;
        for (int ch = 0; ch < channels; ++ch) {
            const int plane = planar ? ch : 0;
            const int at = planar ? s : s * channels + ch;
            switch (av_get_packed_sample_fmt(fmt)) {
            case AV_SAMPLE_FMT_FLT:
                sum += reinterpret_cast<const float*>(f->extended_data[plane])[at];
                break;
            case AV_SAMPLE_FMT_S16:
                sum += reinterpret_cast<const int16_t*>(f->extended_data[plane])[at] / 32768.0f;
                break;
            case AV_SAMPLE_FMT_S32:
                sum += float(reinterpret_cast<const int32_t*>(f->extended_data[plane])[at] /
                             2147483648.0);
                break;
            default:
                ADD_FAILURE() << "sample format " << av_get_sample_fmt_name(fmt);
                return;
            }
        }
        out.push_back(sum / float(channels));
    }
}

} // namespace

QImage photo(int seed) {
    QImage image(480, 320, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 320);
    sky.setColorAt(0, QColor(70, 130, 200));
    sky.setColorAt(1, QColor(230, 200, 150));
    p.fillRect(image.rect(), sky);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QColor::fromHsv((seed * 40 + i * 60) % 360, 160, 200));
        p.drawEllipse(QPointF(40 + i * 80, 220 - (i % 3) * 30), 50, 35);
    }
    return image;
}

DecodedMp4 decodeMp4(const QString& path, bool keepPictures) {
    DecodedMp4 d;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return d;
    avformat_find_stream_info(input, nullptr);
    d.opened = true;
    d.containerSeconds = double(input->duration) / AV_TIME_BASE;
    const int video = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (video >= 0) {
        AVStream* st = input->streams[video];
        d.timeBaseNum = st->time_base.num;
        d.timeBaseDen = st->time_base.den;
        d.videoDuration = st->duration;
        AVCodecContext* decoder = openDecoder(input, video);
        d.pixelFormat = QString::fromLatin1(av_get_pix_fmt_name(decoder->pix_fmt));
        SwsContext* sws = nullptr;
        decodeStream(input, video, decoder, [&](AVFrame* f) {
            d.pts.push_back(f->best_effort_timestamp);
            if (!keepPictures)
                return;
            QImage rgb(f->width, f->height, QImage::Format_RGB32);
            sws = sws_getCachedContext(sws, f->width, f->height, AVPixelFormat(f->format), f->width,
                                       f->height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr,
                                       nullptr);
            uint8_t* planes[1] = {rgb.bits()};
            const int strides[1] = {int(rgb.bytesPerLine())};
            sws_scale(sws, f->data, f->linesize, 0, f->height, planes, strides);
            d.pictures.push_back(rgb);
        });
        sws_freeContext(sws);
        avcodec_free_context(&decoder);
    }
    if (audio >= 0) {
        av_seek_frame(input, -1, 0, AVSEEK_FLAG_BACKWARD);
        avformat_flush(input);
        AVCodecContext* decoder = openDecoder(input, audio);
        d.sampleRate = decoder->sample_rate;
        d.soundSeconds =
            double(input->streams[audio]->duration) * av_q2d(input->streams[audio]->time_base);
        decodeStream(input, audio, decoder, [&](AVFrame* f) { appendMono(f, d.sound); });
        avcodec_free_context(&decoder);
    }
    avformat_close_input(&input);
    return d;
}

std::vector<float> decodeSound(const QString& path, int* sampleRate) {
    std::vector<float> out;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return out;
    avformat_find_stream_info(input, nullptr);
    const int audio = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    AVCodecContext* decoder = openDecoder(input, audio);
    *sampleRate = decoder->sample_rate;
    decodeStream(input, audio, decoder, [&](AVFrame* f) { appendMono(f, out); });
    avcodec_free_context(&decoder);
    avformat_close_input(&input);
    return out;
}

bool writeAiff(const QString& path, const std::vector<float>& samples, int rate) {
    AVFormatContext* out = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (avformat_alloc_output_context2(&out, nullptr, "aiff", name.constData()) < 0)
        return false;
    AVStream* st = avformat_new_stream(out, nullptr);
    st->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
    st->codecpar->codec_id = AV_CODEC_ID_PCM_S16BE;
    st->codecpar->sample_rate = rate;
    av_channel_layout_default(&st->codecpar->ch_layout, 1);
    st->codecpar->bits_per_coded_sample = 16;
    st->time_base = AVRational{1, rate};
    bool ok = avio_open(&out->pb, name.constData(), AVIO_FLAG_WRITE) >= 0 &&
              avformat_write_header(out, nullptr) >= 0;
    if (ok) {
        std::vector<uint8_t> bytes;
        for (float s : samples) {
            const auto v = int16_t(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767));
            bytes.push_back(uint8_t(uint16_t(v) >> 8));
            bytes.push_back(uint8_t(v & 0xff));
        }
        AVPacket* p = av_packet_alloc();
        av_new_packet(p, int(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), p->data);
        p->pts = p->dts = 0;
        p->duration = int64_t(samples.size());
        ok = av_write_frame(out, p) >= 0 && av_write_trailer(out) >= 0;
        av_packet_free(&p);
    }
    avio_closep(&out->pb);
    avformat_free_context(out);
    return ok;
}

QImage engineRendering(Frame& frame, QSize pixels) {
    CCDirector& director = CCDirector::sharedDirector();
    auto scene = Scene::node();
    auto backgroundLayer = ColorLayer::layerWithColor(ccColor4B{255, 255, 255, 255}, 480, 320);
    backgroundLayer->setAnchorPoint(Point(0, 0));
    scene->addChild(backgroundLayer, 0);
    std::shared_ptr<Sprite> background;
    if (frame.background() == kCustomBackground) {
        background = Sprite::spriteWithCGImage(frame.backgroundImage());
        background->setOpacityModifyRGB(false);
    } else if (!backgroundFileForCode(frame.background()).isEmpty()) {
        background = Sprite::spriteWithFile(backgroundFileForCode(frame.background()));
    }
    if (background) {
        background->setPosition(Point(240, 160));
        backgroundLayer->addChild(background);
    }
    auto stage = Layer::node();
    scene->addChild(stage, 2);
    frame.addSpritesToLayer(stage.get());
    director.replaceScene(scene);
    QImage image = director.renderToImage(pixels);
    stage->removeAllChildrenWithCleanup(false);
    director.end();
    return image.convertToFormat(QImage::Format_RGB32);
}

double psnr(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return 0;
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            const int dr = qRed(p[col]) - qRed(q[col]);
            const int dg = qGreen(p[col]) - qGreen(q[col]);
            const int db = qBlue(p[col]) - qBlue(q[col]);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * x.width() * x.height());
    return mse == 0 ? 100 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::shared_ptr<Frame> busyFrame(int seed, int background) {
    auto frame = std::make_shared<Frame>();
    frame->setBackground(background);
    if (background == kCustomBackground)
        frame->setBackgroundImage(photo(seed));
    auto figure = savetest::figure(seed);
    figure->setPosition(Point(150.0f + 10 * float(seed), 150));
    frame->addSprite(figure);
    auto box = BoundingSprite::spriteWithFile(QStringLiteral("box.png"));
    box->setPosition(Point(330, 90.0f + 5 * float(seed)));
    box->setRotation(float(seed * 17));
    frame->addSprite(box);
    auto bubble = SpeechBubble::spriteWithFile(QStringLiteral("speech-bubble.png"));
    bubble->setText(QStringLiteral("Frame %1").arg(seed));
    bubble->setPosition(Point(360, 240));
    frame->addSprite(bubble);
    return frame;
}

BusyFrames threeBusyFrames() {
    BusyFrames b;
    b.frames = {busyFrame(0, 1), busyFrame(1, 8), busyFrame(2, kCustomBackground)};
    for (auto& f : b.frames)
        b.expected.push_back(engineRendering(*f, QSize(960, 640)));
    return b;
}

std::shared_ptr<Frame> soundFrame(std::vector<std::shared_ptr<SoundEffect>> sounds) {
    auto frame = std::make_shared<Frame>();
    frame->setBackground(1);
    frame->setSounds(std::move(sounds));
    return frame;
}

bool exportFrames(const std::vector<std::shared_ptr<Frame>>& frames, double speed,
                  const ExportOptions& options, QString* error,
                  const Exporter::SoundLocator& sounds) {
    Exporter exporter(frames, speed, options);
    if (sounds)
        exporter.setSoundLocator(sounds);
    const bool ok = exporter.run();
    if (error)
        *error = exporter.error();
    return ok;
}

} // namespace exporttest
