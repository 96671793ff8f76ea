#pragma once

#include <QString>

namespace testsupport {

// Absolute path of a file under tests/fixtures.
QString fixturePath(const QString& name);

// A fresh, empty folder that lives until the test program ends.
QString makeTempDir();

} // namespace testsupport
