#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <vector>

// A pack file's XML put together from its frames' XML, each made by the property-list library
// on its own, so that a save can take an unchanged frame's XML from the file it is already in
// instead of serializing and formatting it again. The result is byte for byte what the library
// writes for the whole pack: a nested value's lines depend only on the value and its depth, and
// each frame is formatted at the depth it has in a pack.
namespace packxml {

// Whether the library lays out a pack the way the pieces assume (checked once by formatting a
// small pack both ways). When it does not, packs are formatted whole and nothing is reused.
bool piecesFit();

// A frame record's XML as it stands in a pack file: its lines, indented as there. Empty with
// *error when the record holds a value that cannot be written.
QByteArray frameXml(const QVariantList& record, QString* error);

// The XML of the pack {frames, framesBackground, meta} from its frames' XML (at least one).
// offsets (when given) receives where each frame's XML starts in the result.
QByteArray packXml(const std::vector<QByteArrayView>& frames, const QVariantList& backgrounds,
                   const QVariantMap& meta, std::vector<qint64>* offsets, QString* error);

} // namespace packxml
