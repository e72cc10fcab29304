// The log writer natively: there is no message box; LogBox only logs.
#include "foundation/Log.h"
#include "foundation/Log_platform.h"

namespace log_platform {

int ShowMessageBox(const char*, const char*, unsigned) {
  return kLogBoxOk;
}

}  // namespace log_platform
