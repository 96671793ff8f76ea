#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

namespace platform {

// The user-defaults store: one XML property-list file, read when the store is made and written
// atomically by synchronize(). Values are property-list values (see PropertyList.h).
class UserDefaults {
public:
    // Reads the file; a missing one gives an empty store. A file that is there but cannot be
    // read as a property list (cut short, garbage, not a regular file) also gives an empty
    // store; the first synchronize() keeps it aside under a new name beside it ("<name>.damaged-
    // <time>"), so that nothing overwrites it.
    explicit UserDefaults(QString filePath);

    // The program's store, preferencesFolder()/"defaults.plist". Changes not yet synchronized are
    // written when the application object is destroyed.
    static UserDefaults& standardUserDefaults();
    // Drops the program's store without writing it; the next call reads the file again (tests).
    static void resetStandardUserDefaults();

    // An invalid QVariant when the key is missing.
    QVariant objectForKey(const QString& key) const;
    // Numbers and booleans; a real is truncated. Missing or any other type: 0.
    qint64 integerForKey(const QString& key) const;
    // Booleans, and numbers (non-zero is true). Missing or any other type: false.
    bool boolForKey(const QString& key) const;
    // Numbers and booleans. Missing or any other type: 0.
    float floatForKey(const QString& key) const;
    // Strings, and numbers in decimal. Missing or any other type: empty.
    QString stringForKey(const QString& key) const;
    // Missing or not an array: empty.
    QVariantList arrayForKey(const QString& key) const;
    // Missing or not a dictionary: empty.
    QVariantMap dictionaryForKey(const QString& key) const;

    // An invalid value removes the key.
    void setObject(const QVariant& value, const QString& key);
    void setInteger(qint64 value, const QString& key);
    void setBool(bool value, const QString& key);
    void setFloat(float value, const QString& key);
    void removeObjectForKey(const QString& key);

    // Writes the file when something changed since it was read or last written. False when the
    // write failed, with the reason in *error (the file keeps its previous contents; the
    // changes stay pending).
    bool synchronize(QString* error = nullptr);

    QString filePath() const { return m_filePath; }

    // The file was there but damaged when the store was made; what it was renamed to (empty
    // until a synchronize() has kept it aside).
    bool wasDamaged() const { return m_damaged; }
    QString damagedFileKeptAs() const { return m_damagedKeptAs; }

private:
    QString m_filePath;
    QVariantMap m_values;
    bool m_changed = false;
    bool m_damaged = false;
    QString m_damagedKeptAs;
};

} // namespace platform
