#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <plist/plist.h>

#include <memory>

// A pack's property list, assembled from Qt values, as one libplist tree and its XML text: the
// part of writing a pack that a worker thread does (see SaveWriter.cpp).
namespace plisttree {

struct NodeDeleter {
    void operator()(void* node) const { plist_free(node); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

// A node for a property-list value (QVariantMap, QVariantList, QStringList, QString, QByteArray,
// bool, integers, float, double); null with *error naming the value for anything else.
Node fromVariant(const QVariant& value, QString* error);
Node fromVariant(const QVariantMap& dict, QString* error);

struct XmlDeleter {
    void operator()(char* text) const { plist_to_xml_free(text); }
};
struct Xml {
    std::unique_ptr<char, XmlDeleter> text; // null when libplist could not write the tree
    uint32_t size = 0;
};

// The XML text of the tree, written with the "C" locale's numbers whatever the program's locale.
// Kept in libplist's own buffer: a pack's text is large, and copying it costs as much as a good
// part of writing it.
Xml toXml(plist_t root);

} // namespace plisttree
