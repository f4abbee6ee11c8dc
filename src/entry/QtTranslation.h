#pragma once
// Qt's own texts (the standard buttons of message boxes, the file, font,
// colour and print dialogs, the edit fields' context menus) in Simplified
// Chinese, as the customer's Chinese Windows shows them.
#include <QString>

namespace vantrel {

// The file name of Qt's Simplified Chinese translation; it needs no other
// catalogue.
inline constexpr char kQtChineseCatalogue[] = "qtbase_zh_CN.qm";

// Installs Qt's Simplified Chinese translation unless Qt's own texts are
// translated already: a host that brought a translation of Qt keeps it.
// Looks in Qt's translations folder, then in LibraryFolder(). True when
// Qt's texts are translated afterwards.
bool InstallQtTranslation();

// The folder of the module (shared library or executable) holding the
// library's code, with "/" at the end; empty when the system cannot tell.
QString LibraryFolder();

}  // namespace vantrel
