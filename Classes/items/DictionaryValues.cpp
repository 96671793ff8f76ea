#include "items/DictionaryValues.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

namespace dictvalues {

bool numberValue(const QVariant& v, double* out) {
    double d = 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::LongLong:
        d = double(v.toLongLong());
        break;
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::ULongLong:
        d = double(v.toULongLong());
        break;
    case QMetaType::Float:
        d = double(v.toFloat());
        break;
    case QMetaType::Double:
        d = v.toDouble();
        break;
    default:
        return false;
    }
    if (!std::isfinite(d))
        return false;
    *out = d;
    return true;
}

float realValue(const QVariant& v) {
    double d = 0;
    if (!numberValue(v, &d) || std::fabs(d) > double(FLT_MAX))
        return 0;
    return float(d);
}

float boundedReal(const QVariant& v, float limit) {
    return std::clamp(realValue(v), -limit, limit);
}

qint64 integerValue(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::ULongLong: {
        const quint64 u = v.toULongLong();
        return u > quint64(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                               : qint64(u);
    }
    default:
        break;
    }
    double d = 0;
    if (!numberValue(v, &d))
        return 0;
    // 2^63 is exactly representable; anything at or beyond it does not convert.
    constexpr double kLimit = 9223372036854775808.0;
    if (d >= kLimit)
        return std::numeric_limits<qint64>::max();
    if (d < -kLimit)
        return std::numeric_limits<qint64>::min();
    return qint64(d);
}

int intValue(const QVariant& v) {
    const qint64 i = integerValue(v);
    if (i > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (i < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(i);
}

QString stringValue(const QVariant& v) {
    if (v.typeId() != QMetaType::QString)
        return QString();
    return v.toString();
}

} // namespace dictvalues
