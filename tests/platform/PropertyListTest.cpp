#include "platform/PropertyList.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <plist/plist.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

using platform::parsePropertyList;
using platform::readPropertyList;
using platform::serializePropertyList;
using platform::writePropertyList;

namespace {

QVariantMap sampleDict() {
    QVariantMap item;
    item["className"] = "Hmn";
    item["position.x"] = 240.5f;
    item["scale"] = 0.3;
    item["colorRed"] = 255;
    QVariantList frame{item, QVariantMap{{"className", "Sound"}, {"soundIndex", 3}}};
    QVariantMap meta{{"background", 999999}, {"versionFormat", 4}, {"animationSpeed", 1.25}};
    return QVariantMap{
        {"frames", QVariantList{frame, QVariantList{}}}, {"meta", meta}, {"empty", QVariantMap{}}};
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray nested(int levels, const QByteArray& open, const QByteArray& close) {
    QByteArray xml = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key>";
    for (int i = 0; i < levels; ++i)
        xml += open;
    for (int i = 0; i < levels; ++i)
        xml += close;
    return xml + "</dict></plist>";
}

bool runningAsRoot() {
    return geteuid() == 0;
}

} // namespace

TEST(PropertyList, RoundTripsEveryValueType) {
    const QDateTime date(QDate(2011, 6, 7), QTime(8, 9, 10), Qt::UTC);
    const QVariantMap dict{
        {"string", QString::fromUtf8("Grüße <&> \"quoted\" 'single' \u2603")},
        {"emptyString", QString()},
        {"int", 42},
        {"negative", qint64(-7)},
        {"big", std::numeric_limits<qint64>::max()},
        {"smallest", std::numeric_limits<qint64>::min()},
        {"unsignedMax", std::numeric_limits<quint64>::max()},
        {"yes", true},
        {"no", false},
        {"double", 1.0 / 3.0},
        {"float", 0.1f},
        {"tiny", -2.5e-300},
        {"data", QByteArray("\0\x01\xff binary", 10)},
        {"date", date},
        {"strings", QStringList{"a", "b"}},
        {"nested", sampleDict()},
    };
    const QString path = testsupport::makeTempDir() + "/all.plist";
    QString error;
    ASSERT_TRUE(writePropertyList(path, dict, &error)) << error.toStdString();
    const auto read = readPropertyList(path);
    ASSERT_TRUE(read);

    EXPECT_EQ((*read)["string"].toString(), dict["string"].toString());
    EXPECT_EQ((*read)["emptyString"].toString(), QString());
    EXPECT_EQ((*read)["int"].typeId(), QMetaType::LongLong);
    EXPECT_EQ((*read)["int"].toLongLong(), 42);
    EXPECT_EQ((*read)["negative"].toLongLong(), -7);
    EXPECT_EQ((*read)["big"].toLongLong(), std::numeric_limits<qint64>::max());
    EXPECT_EQ((*read)["smallest"].toLongLong(), std::numeric_limits<qint64>::min());
    EXPECT_EQ((*read)["unsignedMax"].typeId(), QMetaType::ULongLong);
    EXPECT_EQ((*read)["unsignedMax"].toULongLong(), std::numeric_limits<quint64>::max());
    EXPECT_EQ((*read)["yes"].typeId(), QMetaType::Bool);
    EXPECT_TRUE((*read)["yes"].toBool());
    EXPECT_FALSE((*read)["no"].toBool());
    EXPECT_EQ((*read)["double"].typeId(), QMetaType::Double);
    EXPECT_EQ((*read)["double"].toDouble(), 1.0 / 3.0);
    EXPECT_EQ((*read)["float"].toDouble(), double(0.1f));
    EXPECT_EQ((*read)["tiny"].toDouble(), -2.5e-300);
    EXPECT_EQ((*read)["data"].toByteArray(), dict["data"].toByteArray());
    EXPECT_EQ((*read)["date"].toDateTime(), date);
    EXPECT_EQ((*read)["strings"].toList(), (QVariantList{"a", "b"}));

    // Whole nested structure, with numbers compared by value.
    const QVariantMap nestedRead = (*read)["nested"].toMap();
    EXPECT_EQ(nestedRead["empty"].toMap(), QVariantMap());
    const QVariantList frames = nestedRead["frames"].toList();
    ASSERT_EQ(frames.size(), 2);
    EXPECT_TRUE(frames[1].toList().isEmpty());
    const QVariantMap item = frames[0].toList()[0].toMap();
    EXPECT_EQ(item["className"].toString(), "Hmn");
    EXPECT_EQ(item["position.x"].toFloat(), 240.5f);
    EXPECT_EQ(item["colorRed"].toLongLong(), 255);
    EXPECT_EQ(frames[0].toList()[1].toMap()["soundIndex"].toLongLong(), 3);
    EXPECT_EQ(nestedRead["meta"].toMap()["animationSpeed"].toDouble(), 1.25);
}

TEST(PropertyList, FloatIsWrittenAsItsDoubleValue) {
    const QByteArray xml = serializePropertyList({{"f", 0.1f}, {"d", 0.1}});
    EXPECT_TRUE(xml.contains("<real>0.10000000149011612</real>")) << xml.constData();
    EXPECT_TRUE(xml.contains("<real>0.10000000000000001</real>")) << xml.constData();
    const auto read = parsePropertyList(xml);
    ASSERT_TRUE(read);
    EXPECT_EQ(float((*read)["f"].toDouble()), 0.1f);
    EXPECT_EQ((*read)["d"].toDouble(), 0.1);
}

// libplist formats and parses reals with the C library, which follows LC_NUMERIC.
TEST(PropertyList, RealsSurviveACommaDecimalLocale) {
    struct Restore {
        ~Restore() {
            std::setlocale(LC_NUMERIC, "C");
            qunsetenv("LOCPATH");
        }
    } restore;

    const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8",  "de_DE",
                                "fr_FR.UTF-8", "fr_FR.utf8",  "nl_NL.UTF-8",
                                "ru_RU.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8"};
    auto useCommaLocale = [&] {
        for (const char* name : candidates) {
            if (std::setlocale(LC_NUMERIC, name) && std::localeconv()->decimal_point[0] == ',')
                return true;
        }
        std::setlocale(LC_NUMERIC, "C");
        return false;
    };
    bool available = useCommaLocale();
    if (!available) {
        // No comma locale is installed; compile one into a private folder when the locale
        // sources are there (nothing on the system changes).
        const QString localedef = QStandardPaths::findExecutable("localedef");
        if (!localedef.isEmpty() && QFile::exists("/usr/share/i18n/locales/de_DE")) {
            const QString dir = testsupport::makeTempDir();
            QProcess process;
            process.start(localedef, {"-i", "de_DE", "-f", "UTF-8", dir + "/de_DE.UTF-8"});
            if (process.waitForFinished(60000) && QDir(dir + "/de_DE.UTF-8").exists()) {
                qputenv("LOCPATH", dir.toUtf8());
                available = useCommaLocale();
            }
        }
    }
    if (!available)
        GTEST_SKIP() << "no comma-decimal locale is available (none installed, and none could be "
                        "compiled with localedef)";
    ASSERT_EQ(std::atof("1.5"), 1.0) << "the comma locale is not in effect";

    const QVariantMap dict{{"a", 1.5}, {"b", 0.1f}, {"c", -2.25e-7}, {"d", 12345.678}};
    const QByteArray xml = serializePropertyList(dict);
    EXPECT_FALSE(xml.contains("1,5")) << xml.constData();
    const auto read = parsePropertyList(xml);
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)["a"].toDouble(), 1.5);
    EXPECT_EQ((*read)["b"].toDouble(), double(0.1f));
    EXPECT_EQ((*read)["c"].toDouble(), -2.25e-7);
    EXPECT_EQ((*read)["d"].toDouble(), 12345.678);
    // The program's own locale is left as it was.
    EXPECT_EQ(std::localeconv()->decimal_point[0], ',');
}

TEST(PropertyList, UnreadableInputsGiveNothing) {
    const QString dir = testsupport::makeTempDir();
    EXPECT_FALSE(readPropertyList(dir + "/missing.plist"));
    EXPECT_FALSE(readPropertyList(dir)); // a folder

    ASSERT_TRUE(writeBytes(dir + "/empty.plist", QByteArray()));
    EXPECT_FALSE(readPropertyList(dir + "/empty.plist"));

    // Root that is not a dictionary.
    EXPECT_FALSE(parsePropertyList("<?xml version=\"1.0\"?><plist version=\"1.0\"><array>"
                                   "<string>x</string></array></plist>"));
    EXPECT_FALSE(parsePropertyList("<plist version=\"1.0\"><string>x</string></plist>"));
    EXPECT_FALSE(parsePropertyList("not a property list"));
    EXPECT_TRUE(parsePropertyList("<plist version=\"1.0\"><dict/></plist>"));

    // A valid binary property list: only XML ones are accepted.
    plist_t dict = plist_new_dict();
    plist_dict_set_item(dict, "key", plist_new_string("value"));
    char* bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(dict, &bin, &length);
    plist_free(dict);
    ASSERT_TRUE(bin);
    ASSERT_TRUE(writeBytes(dir + "/binary.plist", QByteArray(bin, length)));
    plist_to_bin_free(bin);
    EXPECT_FALSE(readPropertyList(dir + "/binary.plist"));

    // Larger than the limit: the given one, and the default one (a sparse file).
    const QByteArray xml = serializePropertyList(sampleDict());
    ASSERT_TRUE(writeBytes(dir + "/small.plist", xml));
    EXPECT_TRUE(readPropertyList(dir + "/small.plist", xml.size()));
    EXPECT_FALSE(readPropertyList(dir + "/small.plist", xml.size() - 1));
    QFile huge(dir + "/huge.plist");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.write(xml));
    ASSERT_TRUE(huge.resize(platform::kDefaultMaxPlistBytes + 1));
    huge.close();
    EXPECT_FALSE(readPropertyList(huge.fileName()));
}

TEST(PropertyList, CutOffOrMangledFilesNeitherCrashNorReadAsComplete) {
    const QByteArray xml = serializePropertyList(sampleDict());
    ASSERT_TRUE(parsePropertyList(xml));
    const qsizetype rootClosed = xml.lastIndexOf("</dict>");
    ASSERT_GT(rootClosed, 0);
    for (qsizetype length = 1; length < rootClosed; ++length)
        ASSERT_FALSE(parsePropertyList(xml.left(length))) << "cut at " << length;

    // Random damage must never crash (sanitizers check the rest).
    QRandomGenerator random(12345);
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = xml;
        const int edits = 1 + int(random.bounded(8));
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = random.bounded(damaged.size());
            switch (random.bounded(3)) {
            case 0:
                damaged[at] = char(random.bounded(256));
                break;
            case 1:
                damaged.remove(at, 1 + random.bounded(16));
                break;
            default:
                damaged.insert(at, damaged.mid(random.bounded(damaged.size()), 12));
                break;
            }
        }
        (void)parsePropertyList(damaged);
    }
}

TEST(PropertyList, DeepNestingIsRefusedBeforeParsing) {
    EXPECT_TRUE(parsePropertyList(nested(platform::kMaxPlistDepth - 1, "<array>", "</array>")));
    EXPECT_FALSE(parsePropertyList(nested(platform::kMaxPlistDepth, "<array>", "</array>")));
    EXPECT_FALSE(parsePropertyList(nested(100000, "<array>", "</array>")));
    EXPECT_FALSE(
        parsePropertyList(nested(100000, "<dict><key>k</key>", "<string>x</string></dict>")));
    // Closing tags that the parser skips must not hide the depth.
    EXPECT_FALSE(parsePropertyList(nested(100000, "<array><!-- > </array> -->", "</array>")));
    EXPECT_FALSE(parsePropertyList(nested(100000, "<array><?pi > </array> ?>", "</array>")));
    EXPECT_FALSE(parsePropertyList(
        nested(100000, "<array><string><![CDATA[ > </array>]]></string>", "</array>")));
    // Unclosed as well.
    EXPECT_FALSE(parsePropertyList(nested(100000, "<array>", "")));

    const QString path = testsupport::makeTempDir() + "/deep.plist";
    ASSERT_TRUE(writeBytes(path, nested(100000, "<array>", "</array>")));
    EXPECT_FALSE(readPropertyList(path));

    // Writing refuses what reading would refuse.
    QVariant deep = QVariantList{};
    for (int i = 0; i < platform::kMaxPlistDepth; ++i)
        deep = QVariantList{deep};
    QString error;
    EXPECT_TRUE(serializePropertyList({{"a", deep}}, &error).isEmpty());
    EXPECT_TRUE(error.contains("deeper")) << error.toStdString();
}

TEST(PropertyList, UnsupportedValueFailsTheWholeWrite) {
    const QString path = testsupport::makeTempDir() + "/doc.plist";
    ASSERT_TRUE(writePropertyList(path, sampleDict()));
    QString error;
    const QVariantMap bad{{"frames", QVariantList{QVariantMap{{"where", QVariant()}}}}};
    EXPECT_FALSE(writePropertyList(path, bad, &error));
    EXPECT_TRUE(error.contains("frames/0/where")) << error.toStdString();
    const auto kept = readPropertyList(path);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->keys(), sampleDict().keys());
}

TEST(PropertyList, FailedWriteLeavesThePreviousFile) {
    const QString dir = testsupport::makeTempDir();
    const QString path = dir + "/doc.plist";
    const QVariantMap previous{{"version", 1}};
    ASSERT_TRUE(writePropertyList(path, previous));
    const QVariantMap next{{"version", 2}, {"payload", QString(200000, QLatin1Char('x'))}};

    auto expectPrevious = [&] {
        const auto read = readPropertyList(path);
        ASSERT_TRUE(read);
        EXPECT_EQ((*read)["version"].toLongLong(), 1);
        EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList{"doc.plist"});
    };

    // A folder that cannot be written to (root writes anyway, so only when not root).
    if (!runningAsRoot()) {
        ASSERT_TRUE(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
        QString error;
        EXPECT_FALSE(writePropertyList(path, next, &error));
        EXPECT_FALSE(error.isEmpty());
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        expectPrevious();
    }

    // A disk that fills up mid-write, also for root: a file-size limit below the new size.
    {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit limited = old;
        limited.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        QString error;
        const bool written = writePropertyList(path, next, &error);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_DFL);
        EXPECT_FALSE(written);
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        EXPECT_FALSE(error.contains("Unknown error")) << error.toStdString();
        expectPrevious();
    }

    // A folder that cannot exist: its parent is a regular file.
    QString error;
    EXPECT_FALSE(writePropertyList(path + "/sub/doc.plist", next, &error));
    EXPECT_FALSE(error.isEmpty());
    expectPrevious();

    ASSERT_TRUE(writePropertyList(path, next));
    EXPECT_EQ((*readPropertyList(path))["version"].toLongLong(), 2);
}
