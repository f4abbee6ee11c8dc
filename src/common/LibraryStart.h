#pragma once
// Library start-up: what every login needs before it runs, made once.

namespace vantrel {

// Computes the application and log folders and creates the log folder;
// throws when it cannot. Repeated calls do nothing more.
void StartLibrary();

}  // namespace vantrel
