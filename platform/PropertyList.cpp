#include "platform/PropertyList.h"

#include "platform/Paths.h"

#include "platform/Log.h"

#include <QAssociativeIterable>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSequentialIterable>
#include <QStringList>

#include <plist/plist.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <memory>

namespace platform {

namespace {

// libplist formats and parses reals with the C library, which follows LC_NUMERIC: under a
// comma-decimal locale "1.5" would read back as 1. Every call into libplist runs with the "C"
// locale on this thread, whatever the program's locale.
class CLocaleScope {
public:
    CLocaleScope() {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        if (cLocale)
            m_previous = uselocale(cLocale);
    }
    ~CLocaleScope() {
        if (m_previous)
            uselocale(m_previous);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous = nullptr;
};

struct PlistDeleter {
    void operator()(void* node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

struct MallocDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using MallocPtr = std::unique_ptr<T, MallocDeleter>;

struct XmlDeleter {
    void operator()(char* p) const { plist_to_xml_free(p); }
};
using XmlPtr = std::unique_ptr<char, XmlDeleter>;

// Dates in property lists count seconds from 2001-01-01 00:00:00 UTC.
const QDateTime& referenceDate() {
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

// ---- Nesting check ----------------------------------------------------------------------------
//
// libplist parses without recursion but frees recursively, so a deeply nested file would overflow
// the stack. This scan runs before libplist sees the bytes. It may overestimate the depth but
// never underestimates it: opening tags are counted wherever they appear (also inside comments,
// CDATA and declarations, which libplist skips), closing tags only in plain markup, and the
// skipped regions reach at least as far as libplist's.

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool hasPrefix(const char* p, const char* end, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return size_t(end - p) >= n && std::memcmp(p, prefix, n) == 0;
}

// The container tag name ("array" or "dict") starting at p, or 0 characters.
size_t containerName(const char* p, const char* end) {
    for (const char* name : {"array", "dict"}) {
        const size_t n = std::strlen(name);
        if (hasPrefix(p, end, name) && (p + n == end || !isNameChar(p[n])))
            return n;
    }
    return 0;
}

// Position just past the first occurrence of terminator at or after p, or end.
const char* skipPast(const char* p, const char* end, const char* terminator) {
    const size_t n = std::strlen(terminator);
    while (p < end) {
        const void* hit = std::memchr(p, terminator[0], size_t(end - p));
        if (!hit)
            return end;
        p = static_cast<const char*>(hit);
        if (hasPrefix(p, end, terminator))
            return p + n;
        ++p;
    }
    return end;
}

// Counts every "<array" and "<dict" in [p, end) as an opening; true while within the limit.
bool countOpenings(const char* p, const char* end, int& depth, int limit) {
    while (p < end) {
        const void* hit = std::memchr(p, '<', size_t(end - p));
        if (!hit)
            return true;
        p = static_cast<const char*>(hit) + 1;
        if (containerName(p, end) && ++depth > limit)
            return false;
    }
    return true;
}

bool nestingWithinLimit(const char* p, const char* end, int limit) {
    int depth = 0;
    while (p < end) {
        const void* hit = std::memchr(p, '<', size_t(end - p));
        if (!hit)
            return true;
        p = static_cast<const char*>(hit) + 1;

        const char* skipEnd = nullptr;
        if (hasPrefix(p, end, "!--"))
            skipEnd = skipPast(p + 3, end, "-->");
        else if (hasPrefix(p, end, "![CDATA["))
            skipEnd = skipPast(p + 8, end, "]]>");
        else if (hasPrefix(p, end, "?"))
            skipEnd = skipPast(p + 1, end, "?>");
        else if (hasPrefix(p, end, "!")) {
            // A declaration, with an internal subset when '[' comes before its first '>'.
            const char* gt = skipPast(p, end, ">");
            const void* bracket = std::memchr(p, '[', size_t(gt - p));
            skipEnd = bracket ? skipPast(static_cast<const char*>(bracket), end, "]>") : gt;
        }
        if (skipEnd) {
            if (!countOpenings(p, skipEnd, depth, limit))
                return false;
            p = skipEnd;
            continue;
        }

        const bool closing = *p == '/';
        if (closing)
            ++p;
        const size_t nameLength = containerName(p, end);
        if (!nameLength)
            continue;
        p += nameLength;
        while (p < end && isSpace(*p))
            ++p;
        if (closing) {
            if (p < end && *p == '>' && depth > 0)
                --depth;
        } else if (!(hasPrefix(p, end, "/>")) && ++depth > limit) {
            return false;
        }
    }
    return true;
}

// ---- plist -> QVariant -------------------------------------------------------------------------

QVariant toVariant(plist_t node);

QVariantMap toMap(plist_t dict) {
    QVariantMap map;
    plist_dict_iter rawIter = nullptr;
    plist_dict_new_iter(dict, &rawIter);
    MallocPtr<void> iter(rawIter);
    if (!iter)
        return map;
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(dict, iter.get(), &rawKey, &value);
        MallocPtr<char> key(rawKey);
        if (!value)
            break;
        map.insert(QString::fromUtf8(key.get()), toVariant(value));
    }
    return map;
}

QVariantList toList(plist_t array) {
    QVariantList list;
    list.reserve(qsizetype(plist_array_get_size(array)));
    plist_array_iter rawIter = nullptr;
    plist_array_new_iter(array, &rawIter);
    MallocPtr<void> iter(rawIter);
    if (!iter)
        return list;
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(array, iter.get(), &item);
        if (!item)
            break;
        list.append(toVariant(item));
    }
    return list;
}

// libplist keeps every integer as 64 bits plus a flag telling negative numbers from large
// unsigned ones, which its 2.2 API does not expose; the XML it writes for the node does.
QVariant integerValue(plist_t node) {
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    if (value <= uint64_t(std::numeric_limits<qint64>::max()))
        return QVariant(qint64(value));
    char* raw = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &raw, &length);
    XmlPtr xml(raw);
    const bool negative = xml && std::strstr(xml.get(), "<integer>-");
    return negative ? QVariant(qint64(value)) : QVariant(quint64(value));
}

QVariant toVariant(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_DICT:
        return toMap(node);
    case PLIST_ARRAY:
        return toList(node);
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return QVariant(value != 0);
    }
    case PLIST_UINT:
        return integerValue(node);
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return QVariant(qint64(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        uint64_t length = 0;
        const char* text = plist_get_string_ptr(node, &length);
        if (text)
            return QString::fromUtf8(text, qsizetype(length));
        char* raw = nullptr;
        plist_get_key_val(node, &raw);
        MallocPtr<char> key(raw);
        return QString::fromUtf8(key.get());
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char* bytes = plist_get_data_ptr(node, &length);
        return QByteArray(bytes, bytes ? qsizetype(length) : 0);
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return referenceDate().addMSecs(qint64(seconds) * 1000 + microseconds / 1000);
    }
    case PLIST_NONE:
        break;
    }
    return QVariant();
}

// ---- QVariant -> plist -------------------------------------------------------------------------

class Builder {
public:
    // A new node for value, or null with error() and path() describing what could not be written.
    plist_t build(const QVariant& value, int depth);
    QString error() const;

private:
    plist_t fail(const QString& why) {
        m_why = why;
        return nullptr;
    }
    plist_t buildDict(const QVariantMap& map, int depth);
    plist_t buildAssociative(const QVariant& value, int depth);
    plist_t buildSequential(const QVariant& value, int depth);
    bool add(plist_t dict, const QString& key, const QVariant& value, int depth);
    bool append(plist_t array, qsizetype index, const QVariant& value, int depth);

    QString m_why;
    QStringList m_path; // innermost first
};

QString Builder::error() const {
    QStringList path(m_path.crbegin(), m_path.crend());
    if (path.isEmpty())
        return m_why;
    return QStringLiteral("%1 at %2").arg(m_why, path.join(QLatin1Char('/')));
}

// Integers above the qint64 range: plist_new_uint() marks every value as signed, so such a node
// is made by parsing its XML, which sets the unsigned flag.
plist_t newBigUnsigned(quint64 value) {
    const QByteArray xml =
        "<plist version=\"1.0\"><integer>" + QByteArray::number(value) + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &node);
    if (node && plist_get_node_type(node) == PLIST_UINT)
        return node;
    if (node)
        plist_free(node);
    return plist_new_uint(value);
}

// Stored dictionaries use a few dozen key names over and over: each is encoded once.
const QByteArray& utf8Key(const QString& key) {
    thread_local QHash<QString, QByteArray> keys;
    auto it = keys.constFind(key);
    if (it == keys.constEnd()) {
        if (keys.size() > 4096)
            keys.clear();
        it = keys.insert(key, key.toUtf8());
    }
    return *it;
}

bool Builder::add(plist_t dict, const QString& key, const QVariant& value, int depth) {
    plist_t node = build(value, depth);
    if (!node) {
        m_path.append(key);
        return false;
    }
    plist_dict_set_item(dict, utf8Key(key).constData(), node);
    return true;
}

bool Builder::append(plist_t array, qsizetype index, const QVariant& value, int depth) {
    plist_t node = build(value, depth);
    if (!node) {
        m_path.append(QString::number(index));
        return false;
    }
    plist_array_append_item(array, node);
    return true;
}

plist_t Builder::buildDict(const QVariantMap& map, int depth) {
    PlistPtr dict(plist_new_dict());
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!add(dict.get(), it.key(), it.value(), depth))
            return nullptr;
    }
    return dict.release();
}

plist_t Builder::buildAssociative(const QVariant& value, int depth) {
    PlistPtr dict(plist_new_dict());
    const QAssociativeIterable iterable = value.value<QAssociativeIterable>();
    for (auto it = iterable.begin(); it != iterable.end(); ++it) {
        if (!add(dict.get(), it.key().toString(), it.value(), depth))
            return nullptr;
    }
    return dict.release();
}

plist_t Builder::buildSequential(const QVariant& value, int depth) {
    PlistPtr array(plist_new_array());
    qsizetype index = 0;
    for (const QVariant& item : value.value<QSequentialIterable>()) {
        if (!append(array.get(), index++, item, depth))
            return nullptr;
    }
    return array.release();
}

plist_t Builder::build(const QVariant& value, int depth) {
    // depth counts the containers around value; a container here is one more level.
    const bool roomForContainer = depth < kMaxPlistDepth;
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        if (!roomForContainer)
            break;
        return buildDict(*static_cast<const QVariantMap*>(value.constData()), depth + 1);
    case QMetaType::QVariantList: {
        if (!roomForContainer)
            break;
        const auto& list = *static_cast<const QVariantList*>(value.constData());
        PlistPtr array(plist_new_array());
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (!append(array.get(), i, list.at(i), depth + 1))
                return nullptr;
        }
        return array.release();
    }
    case QMetaType::QStringList: {
        if (!roomForContainer)
            break;
        plist_t array = plist_new_array();
        for (const QString& s : *static_cast<const QStringList*>(value.constData()))
            plist_array_append_item(array, plist_new_string(s.toUtf8().constData()));
        return array;
    }
    case QMetaType::QString:
        return plist_new_string(
            static_cast<const QString*>(value.constData())->toUtf8().constData());
    case QMetaType::QByteArray: {
        const auto& bytes = *static_cast<const QByteArray*>(value.constData());
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
        return plist_new_uint(uint64_t(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar: {
        const quint64 unsignedValue = value.toULongLong();
        if (unsignedValue > quint64(std::numeric_limits<qint64>::max()))
            return newBigUnsigned(unsignedValue);
        return plist_new_uint(unsignedValue);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid())
            return fail(QStringLiteral("invalid date"));
        const qint64 ms = referenceDate().msecsTo(date);
        const qint64 seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
        if (seconds < std::numeric_limits<int32_t>::min() ||
            seconds > std::numeric_limits<int32_t>::max())
            return fail(QStringLiteral("date out of range"));
        return plist_new_date(int32_t(seconds), int32_t((ms - seconds * 1000) * 1000));
    }
    case QMetaType::UnknownType:
        return fail(QStringLiteral("no value"));
    default:
        // Other containers (QVariantHash, QList<int>, ...) through Qt's iterable views.
        if (value.canView<QAssociativeIterable>()) {
            if (!roomForContainer)
                break;
            return buildAssociative(value, depth + 1);
        }
        if (value.canView<QSequentialIterable>()) {
            if (!roomForContainer)
                break;
            return buildSequential(value, depth + 1);
        }
        return fail(QStringLiteral("a value of type %1 cannot be stored")
                        .arg(QLatin1String(value.metaType().name())));
    }
    return fail(QStringLiteral("nested deeper than %1 levels").arg(kMaxPlistDepth));
}

// The XML of dict, or null with *error set.
XmlPtr toXml(const QVariantMap& dict, uint32_t& length, QString* error) {
    Builder builder;
    CLocaleScope cLocale;
    PlistPtr root(builder.build(QVariant::fromValue(dict), 0));
    if (!root) {
        if (error)
            *error = builder.error();
        return nullptr;
    }
    char* raw = nullptr;
    length = 0;
    plist_to_xml(root.get(), &raw, &length);
    XmlPtr xml(raw);
    if (!xml && error)
        *error = QStringLiteral("the property list could not be encoded");
    return xml;
}

} // namespace

std::optional<QVariantMap> parsePropertyList(const QByteArray& xml, qint64 maxBytes) {
    if (xml.isEmpty() || xml.size() > maxBytes ||
        xml.size() >= qint64(std::numeric_limits<uint32_t>::max()))
        return std::nullopt;
    if (xml.startsWith("bplist"))
        return std::nullopt;
    const char* begin = xml.constData();
    if (!nestingWithinLimit(begin, begin + xml.size(), kMaxPlistDepth))
        return std::nullopt;

    CLocaleScope cLocale;
    plist_t raw = nullptr;
    plist_from_xml(begin, uint32_t(xml.size()), &raw);
    PlistPtr root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT)
        return std::nullopt;
    return toMap(root.get());
}

std::optional<QVariantMap> readPropertyList(const QString& path, qint64 maxBytes,
                                            const QString& within) {
    const auto bytes = readRegularFile(path, maxBytes, within);
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    return parsePropertyList(*bytes, maxBytes);
}

QByteArray serializePropertyList(const QVariantMap& dict, QString* error) {
    uint32_t length = 0;
    const XmlPtr xml = toXml(dict, length, error);
    return xml ? QByteArray(xml.get(), qsizetype(length)) : QByteArray();
}

void PropertyListXml::Free::operator()(char* p) const {
    plist_to_xml_free(p);
}

PropertyListXml propertyListXml(const QVariantMap& dict, QString* error) {
    uint32_t length = 0;
    XmlPtr xml = toXml(dict, length, error);
    return PropertyListXml(xml.release(), length);
}

bool writePropertyList(const QString& path, const QVariantMap& dict, QString* error) {
    const QString shownPath = QDir::toNativeSeparators(path);
    QString why;
    uint32_t length = 0;
    const XmlPtr xml = toXml(dict, length, &why);
    if (!xml) {
        qCWarning(lcKelvora, "Not writing %s: %s", qPrintable(shownPath), qPrintable(why));
        if (error)
            *error = QStringLiteral("Cannot write %1: %2").arg(shownPath, why);
        return false;
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        why = file.errorString();
    } else {
        errno = 0;
        const qint64 written = file.write(xml.get(), qint64(length));
        const int writeErrno = errno;
        if (written == qint64(length)) {
            if (file.commit())
                return true;
            why = file.errorString();
        } else {
            // A short write (disk full, file-size limit) is no error to QSaveFile, which would
            // commit the cut-off file.
            if (file.error() != QFileDevice::NoError)
                why = file.errorString();
            else if (writeErrno)
                why = QString::fromLocal8Bit(std::strerror(writeErrno));
            else
                why =
                    QStringLiteral("only %1 of %2 bytes could be written").arg(written).arg(length);
            file.cancelWriting();
        }
    }
    qCWarning(lcKelvora, "Cannot write %s: %s", qPrintable(shownPath), qPrintable(why));
    if (error)
        *error = QStringLiteral("Cannot write %1: %2").arg(shownPath, why);
    return false;
}

} // namespace platform
