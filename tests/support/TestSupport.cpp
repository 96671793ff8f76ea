#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace testsupport {

QString fixturePath(const QString& name) {
    return QDir(QStringLiteral(KELVORA_TEST_FIXTURES)).filePath(name);
}

QString makeTempDir() {
    static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    dirs.push_back(std::make_unique<QTemporaryDir>());
    return dirs.back()->path();
}

} // namespace testsupport
