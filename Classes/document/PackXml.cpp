#include "document/PackXml.h"

#include "document/SaveFormat.h"

#include "platform/PropertyList.h"

using namespace saveformat;

namespace packxml {

namespace {

// What the library writes around the values of a root dictionary whose first key is "frames".
constexpr QByteArrayView kHead("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                               "<plist version=\"1.0\">\n"
                               "<dict>\n");
constexpr QByteArrayView kFramesOpen("\t<key>frames</key>\n\t<array>\n");
constexpr QByteArrayView kFramesClose("\t</array>\n");
constexpr QByteArrayView kEnd("</dict>\n</plist>\n");

// The part of the XML of `dict` between prefix and suffix; empty when the XML is not framed by
// them or the dictionary cannot be written.
QByteArray between(const QVariantMap& dict, QByteArrayView prefix, QByteArrayView suffix,
                   QString* error) {
    const platform::PropertyListXml xml = platform::propertyListXml(dict, error);
    const QByteArrayView text(xml.data(), xml ? qsizetype(xml.size()) : 0);
    if (!xml)
        return QByteArray();
    if (!text.startsWith(prefix) || !text.endsWith(suffix) ||
        text.size() <= prefix.size() + suffix.size()) {
        if (error)
            *error = QStringLiteral("the property list is not laid out as expected");
        return QByteArray();
    }
    return text.sliced(prefix.size(), text.size() - prefix.size() - suffix.size()).toByteArray();
}

bool checkPieces() {
    QVariantMap item{{kClassName, QStringLiteral("Tree")},
                     {kPositionX, 1.5f},
                     {kBubbleText, QStringLiteral("two\nlines <&>")}};
    const QVariantList frames{QVariant(QVariantList{item, item}), QVariant(QVariantList())};
    const QVariantList backgrounds{QVariantMap{{kBackground, 2}}, QVariantMap{{kBackground, 3}}};
    const QVariantMap meta{{kTotalPacks, 1}, {kAnimationSpeed, 1.25}};
    std::vector<QByteArray> pieces;
    for (const QVariant& f : frames) {
        pieces.push_back(frameXml(f.toList(), nullptr));
        if (pieces.back().isEmpty())
            return false;
    }
    const std::vector<QByteArrayView> views(pieces.begin(), pieces.end());
    const QByteArray whole = platform::serializePropertyList(
        {{kFrames, frames}, {kFramesBackground, backgrounds}, {kMeta, meta}});
    return !whole.isEmpty() && packXml(views, backgrounds, meta, nullptr, nullptr) == whole;
}

} // namespace

bool piecesFit() {
    static const bool fit = checkPieces();
    return fit;
}

QByteArray frameXml(const QVariantList& record, QString* error) {
    static const QByteArray prefix = kHead.toByteArray() + kFramesOpen.toByteArray();
    static const QByteArray suffix = kFramesClose.toByteArray() + kEnd.toByteArray();
    return between(QVariantMap{{kFrames, QVariantList{QVariant(record)}}}, prefix, suffix, error);
}

QByteArray packXml(const std::vector<QByteArrayView>& frames, const QVariantList& backgrounds,
                   const QVariantMap& meta, std::vector<qint64>* offsets, QString* error) {
    // The keys after "frames", in the order the library writes a dictionary's keys (sorted,
    // as QVariantMap keeps them).
    const QByteArray rest =
        between(QVariantMap{{kFramesBackground, backgrounds}, {kMeta, meta}}, kHead, kEnd, error);
    if (rest.isEmpty() || frames.empty())
        return QByteArray();
    qsizetype size =
        kHead.size() + kFramesOpen.size() + kFramesClose.size() + rest.size() + kEnd.size();
    for (QByteArrayView f : frames)
        size += f.size();
    QByteArray xml;
    xml.reserve(size);
    xml.append(kHead).append(kFramesOpen);
    if (offsets)
        offsets->clear();
    for (QByteArrayView f : frames) {
        if (offsets)
            offsets->push_back(xml.size());
        xml.append(f);
    }
    xml.append(kFramesClose).append(rest).append(kEnd);
    return xml;
}

} // namespace packxml
