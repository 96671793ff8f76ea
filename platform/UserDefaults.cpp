#include "platform/UserDefaults.h"

#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <qplatformdefs.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <memory>

namespace platform {

namespace {

std::unique_ptr<UserDefaults>& standardInstance() {
    static std::unique_ptr<UserDefaults> instance;
    return instance;
}

// Like the phone platform, changes reach the disk even when no caller synchronized them (the
// shell removes the resume record at quit without synchronizing).
void synchronizeStandardAtExit() {
    if (auto& instance = standardInstance())
        instance->synchronize();
}

bool isInteger(int type) {
    switch (type) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isReal(int type) {
    return type == QMetaType::Double || type == QMetaType::Float;
}

qint64 truncated(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= 9.2233720368547758e18)
        return std::numeric_limits<qint64>::max();
    if (value <= -9.2233720368547758e18)
        return std::numeric_limits<qint64>::min();
    return qint64(value);
}

// Renames path to "<path>.damaged-<time>[-k]", never onto an existing file; the new name, or
// empty when it could not be renamed.
QString keepAside(const QString& path) {
    const QString stem =
        path + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QByteArray from = QFile::encodeName(path);
    for (int k = 0; k < 1000; ++k) {
        const QString to = k == 0 ? stem : stem + QStringLiteral("-%1").arg(k);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, QFile::encodeName(to).constData(),
                        RENAME_NOREPLACE) == 0)
            return to;
        if (errno != EEXIST)
            break;
    }
    return QString();
}

} // namespace

UserDefaults::UserDefaults(QString filePath) : m_filePath(std::move(filePath)) {
    if (auto values = readPropertyList(m_filePath)) {
        m_values = std::move(*values);
        return;
    }
    QT_STATBUF st;
    if (QT_LSTAT(QFile::encodeName(m_filePath).constData(), &st) != 0)
        return; // missing: a first start
    m_damaged = true;
    qCWarning(lcKelvora, "Unreadable user defaults %s: starting empty", qPrintable(m_filePath));
}

UserDefaults& UserDefaults::standardUserDefaults() {
    auto& instance = standardInstance();
    if (!instance) {
        static const bool registered = [] {
            qAddPostRoutine(synchronizeStandardAtExit);
            return true;
        }();
        Q_UNUSED(registered);
        instance =
            std::make_unique<UserDefaults>(preferencesFolder() + QStringLiteral("/defaults.plist"));
    }
    return *instance;
}

void UserDefaults::resetStandardUserDefaults() {
    standardInstance().reset();
}

QVariant UserDefaults::objectForKey(const QString& key) const {
    return m_values.value(key);
}

qint64 UserDefaults::integerForKey(const QString& key) const {
    const QVariant value = m_values.value(key);
    const int type = value.typeId();
    if (isInteger(type))
        return value.toLongLong();
    if (isReal(type))
        return truncated(value.toDouble());
    if (type == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    return 0;
}

bool UserDefaults::boolForKey(const QString& key) const {
    const QVariant value = m_values.value(key);
    const int type = value.typeId();
    if (type == QMetaType::Bool)
        return value.toBool();
    if (isInteger(type))
        return value.toLongLong() != 0;
    if (isReal(type))
        return value.toDouble() != 0;
    return false;
}

float UserDefaults::floatForKey(const QString& key) const {
    const QVariant value = m_values.value(key);
    const int type = value.typeId();
    if (isReal(type) || isInteger(type))
        return float(value.toDouble());
    if (type == QMetaType::Bool)
        return value.toBool() ? 1.0f : 0.0f;
    return 0;
}

QString UserDefaults::stringForKey(const QString& key) const {
    const QVariant value = m_values.value(key);
    const int type = value.typeId();
    if (type == QMetaType::QString)
        return value.toString();
    if (isInteger(type))
        return QString::number(value.toLongLong());
    if (isReal(type))
        return QString::number(value.toDouble(), 'g', 17);
    return QString();
}

QVariantList UserDefaults::arrayForKey(const QString& key) const {
    const QVariant value = m_values.value(key);
    if (value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList)
        return value.toList();
    return QVariantList();
}

QVariantMap UserDefaults::dictionaryForKey(const QString& key) const {
    const QVariant value = m_values.value(key);
    if (value.typeId() == QMetaType::QVariantMap)
        return value.toMap();
    return QVariantMap();
}

void UserDefaults::setObject(const QVariant& value, const QString& key) {
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    m_values.insert(key, value);
    m_changed = true;
}

void UserDefaults::setInteger(qint64 value, const QString& key) {
    setObject(QVariant(value), key);
}

void UserDefaults::setBool(bool value, const QString& key) {
    setObject(QVariant(value), key);
}

void UserDefaults::setFloat(float value, const QString& key) {
    setObject(QVariant(value), key);
}

void UserDefaults::removeObjectForKey(const QString& key) {
    if (m_values.remove(key))
        m_changed = true;
}

bool UserDefaults::synchronize(QString* error) {
    if (!m_changed)
        return true;
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcKelvora, "Cannot create folder %s for the user defaults", qPrintable(folder));
        if (error)
            *error = QStringLiteral("The folder %1 cannot be created").arg(folder);
        return false;
    }
    // A damaged file is kept aside before the first write, never overwritten.
    QT_STATBUF st;
    if (m_damaged && m_damagedKeptAs.isEmpty() &&
        QT_LSTAT(QFile::encodeName(m_filePath).constData(), &st) == 0) {
        m_damagedKeptAs = keepAside(m_filePath);
        if (m_damagedKeptAs.isEmpty()) {
            if (error)
                *error = QStringLiteral("The damaged file %1 cannot be kept aside").arg(m_filePath);
            return false;
        }
        qCWarning(lcKelvora, "Damaged user defaults kept as %s", qPrintable(m_damagedKeptAs));
    }
    if (!writePropertyList(m_filePath, m_values, error))
        return false; // writePropertyList logged why
    m_changed = false;
    return true;
}

} // namespace platform
