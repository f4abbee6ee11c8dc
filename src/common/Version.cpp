#include "common/Version.h"

namespace vantrel {
const char* VersionText() { return "Vantrel 0.1.0"; }
}
