#pragma once
namespace vantrel {
// The product version, as shown by the tools' --version.
const char* VersionText();
}
