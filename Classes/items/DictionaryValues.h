#pragma once

// Reading values out of stored dictionaries. Saves are untrusted input: a missing key, a value
// of the wrong type or a non-finite real all read as 0 (numbers) or as a null string, so a
// damaged record degrades instead of failing.

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <cstdint>

namespace dictvalues {

// Stored scales and coordinates are bounded on reading so that everything an item computes
// from them stays finite (a figure's limb lengths are differences of joint positions times its
// scale). Far beyond what resizing (0.3 to 2.5) and the 480 x 320-point stage produce.
inline constexpr float kMaxStoredScale = 10.0f;
inline constexpr float kMaxStoredCoordinate = 100000.0f;

// A number of any integer or real type as a double; false for anything else (strings, booleans,
// containers, an invalid value) and for NaN and infinities.
bool numberValue(const QVariant& v, double* out);

// A number as a 32-bit real: 0 when it is not a number or does not fit a float.
float realValue(const QVariant& v);
// A number as an integer: reals are truncated towards zero and saturate at the type's limits.
qint64 integerValue(const QVariant& v);
int intValue(const QVariant& v);
// The string, or a null string when the value is not one.
QString stringValue(const QVariant& v);

inline float dictReal(const QVariantMap& d, const QString& key) {
    return realValue(d.value(key));
}
inline qint64 dictInteger(const QVariantMap& d, const QString& key) {
    return integerValue(d.value(key));
}
inline int dictInt(const QVariantMap& d, const QString& key) {
    return intValue(d.value(key));
}
// A real as dictReal reads it, then brought within [-limit, limit].
float boundedReal(const QVariant& v, float limit);
inline float dictBoundedReal(const QVariantMap& d, const QString& key, float limit) {
    return boundedReal(d.value(key), limit);
}
inline QString dictString(const QVariantMap& d, const QString& key) {
    return stringValue(d.value(key));
}

} // namespace dictvalues
