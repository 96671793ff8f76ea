#include "platform/Log.h"

namespace platform {

Q_LOGGING_CATEGORY(lcKelvora, "kelvora")

} // namespace platform
