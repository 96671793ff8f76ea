#pragma once

#include <QLoggingCategory>

namespace platform {

// Diagnostic messages ("kelvora" category); never shown to the user.
Q_DECLARE_LOGGING_CATEGORY(lcKelvora)

} // namespace platform
