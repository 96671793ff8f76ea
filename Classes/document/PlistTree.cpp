#include "PlistTree.h"

#include <QHash>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace plisttree {

namespace {

// Item dictionaries are flat; a deep value is a programming error, not something to store.
constexpr int kMaxDepth = 64;

plist_t build(const QVariant& value, int depth, QString* error);

// Items use a few dozen key names over and over: each is encoded once.
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

plist_t buildMap(const QVariantMap& map, int depth, QString* error) {
    Node dict(plist_new_dict());
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        plist_t node = build(it.value(), depth + 1, error);
        if (!node) {
            if (error)
                *error = QStringLiteral("%1 at %2").arg(*error, it.key());
            return nullptr;
        }
        plist_dict_set_item(dict.get(), utf8Key(it.key()).constData(), node);
    }
    return dict.release();
}

plist_t buildList(const QVariantList& list, int depth, QString* error) {
    Node array(plist_new_array());
    for (const QVariant& item : list) {
        plist_t node = build(item, depth + 1, error);
        if (!node)
            return nullptr;
        plist_array_append_item(array.get(), node);
    }
    return array.release();
}

plist_t build(const QVariant& value, int depth, QString* error) {
    if (depth > kMaxDepth) {
        if (error)
            *error = QStringLiteral("nested too deeply");
        return nullptr;
    }
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        return buildMap(*static_cast<const QVariantMap*>(value.constData()), depth, error);
    case QMetaType::QVariantList:
        return buildList(*static_cast<const QVariantList*>(value.constData()), depth, error);
    case QMetaType::QStringList: {
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
        // plist_new_uint() marks values as signed; none of ours come near the top bit.
        const quint64 u = value.toULongLong();
        if (u > quint64(std::numeric_limits<qint64>::max()))
            break;
        return plist_new_uint(u);
    }
    case QMetaType::Float:
    case QMetaType::Double:
        return plist_new_real(value.toDouble());
    default:
        break;
    }
    if (error)
        *error =
            QStringLiteral("a value of type %1 cannot be stored")
                .arg(QLatin1String(value.metaType().name() ? value.metaType().name() : "(none)"));
    return nullptr;
}

// libplist formats reals with the C library, which follows LC_NUMERIC.
class CLocaleScope {
public:
    CLocaleScope() {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        if (cLocale)
            previous_ = uselocale(cLocale);
    }
    ~CLocaleScope() {
        if (previous_)
            uselocale(previous_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t previous_ = nullptr;
};

} // namespace

Node fromVariant(const QVariant& value, QString* error) {
    return Node(build(value, 0, error));
}

Node fromVariant(const QVariantMap& dict, QString* error) {
    return Node(buildMap(dict, 0, error));
}

Xml toXml(plist_t root) {
    CLocaleScope cLocale;
    char* text = nullptr;
    uint32_t size = 0;
    plist_to_xml(root, &text, &size);
    Xml xml;
    xml.text.reset(text);
    xml.size = text ? size : 0;
    return xml;
}

} // namespace plisttree
