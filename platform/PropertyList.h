#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <optional>

namespace platform {

// Larger files are not property lists this program wrote; reading them gives nothing.
inline constexpr qint64 kDefaultMaxPlistBytes = 32 * 1024 * 1024;
// Arrays and dictionaries nested deeper than this (the root dictionary counts as 1) are
// refused when reading and writing.
inline constexpr int kMaxPlistDepth = 512;

// XML property lists through libplist.
//
// Values: QVariantMap (dict), QVariantList or QStringList (array), QString, bool, integers of any
// width (integer), double or float (real; a float is written as its double value, so 0.1f becomes
// 0.10000000149011612), QByteArray (data), QDateTime (date, whole seconds); other Qt containers
// (QVariantHash, QList<int>, ...) are written as dicts and arrays. Reading gives QVariantMap and
// QVariantList, qint64 for integers (quint64 for those above the qint64 range), double for reals,
// QDateTime in UTC.
//
// Reading gives nothing for a file that is missing, unreadable, empty, binary, malformed or cut
// off, whose root is not a dictionary, that is larger than maxBytes or nested deeper than
// kMaxPlistDepth. Numbers are read and written in the "C" locale whatever the program's locale.
// Only regular files are read, without ever blocking (a pipe gives nothing); with `within`
// given, only files that lie inside that folder once links are followed (see readRegularFile).
std::optional<QVariantMap> readPropertyList(const QString& path,
                                            qint64 maxBytes = kDefaultMaxPlistBytes,
                                            const QString& within = QString());
std::optional<QVariantMap> parsePropertyList(const QByteArray& xml,
                                             qint64 maxBytes = kDefaultMaxPlistBytes);

// Writes atomically: on failure the previous file stays as it was, the result is false and
// *error (when given) says why. Any value of another type (an invalid QVariant, a QPointF, ...)
// fails the whole write; the error names its key path.
bool writePropertyList(const QString& path, const QVariantMap& dict, QString* error = nullptr);

// The XML text of dict; empty when it holds a value that cannot be written (see *error).
QByteArray serializePropertyList(const QVariantMap& dict, QString* error = nullptr);

// The same text left in libplist's own buffer, for writers of large lists (a copy would cost
// as much as a good part of the writing). Safe to use on any thread.
class PropertyListXml {
public:
    PropertyListXml() = default;
    PropertyListXml(char* text, uint32_t size) : text_(text), size_(text ? size : 0) {}
    const char* data() const { return text_.get(); }
    uint32_t size() const { return size_; }
    explicit operator bool() const { return text_ != nullptr; }

private:
    struct Free {
        void operator()(char* p) const;
    };
    std::unique_ptr<char, Free> text_;
    uint32_t size_ = 0;
};
PropertyListXml propertyListXml(const QVariantMap& dict, QString* error = nullptr);

} // namespace platform
