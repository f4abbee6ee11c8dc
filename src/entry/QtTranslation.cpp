#include "entry/QtTranslation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtDebug>

#include <memory>

#ifdef Q_OS_WIN
#include "common/Win32.h"

#include <string>
#else
#include <dlfcn.h>
#endif

namespace vantrel {
namespace {

// Lies in the library's own module, wherever that code was linked.
const int moduleMarker = 0;

// Qt 6 lists no installed translators; a text that every message box shows
// tells whether a translation of Qt's own texts is in force.
bool QtTextsTranslated() {
    return QCoreApplication::translate("QPlatformTheme", "&Yes") != QLatin1String("&Yes");
}

QString FolderOf(const QString& file) {
    if (file.isEmpty()) return {};
    return QDir::fromNativeSeparators(QFileInfo(file).absolutePath()) + QLatin1Char('/');
}

}  // namespace

QString LibraryFolder() {
#ifdef Q_OS_WIN
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&moduleMarker), &module))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        // A full buffer may hold a cut name.
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return FolderOf(QString::fromStdWString(path));
#else
    Dl_info info{};
    if (dladdr(&moduleMarker, &info) == 0 || !info.dli_fname) return {};
    return FolderOf(QFile::decodeName(info.dli_fname));
#endif
}

bool InstallQtTranslation() {
    if (QtTextsTranslated()) return true;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    // On Windows the catalogue is deployed beside the library.
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath), LibraryFolder()};
    auto translator = std::make_unique<QTranslator>(app);
    for (const QString& folder : folders) {
        if (folder.isEmpty() || !translator->load(QLatin1String(kQtChineseCatalogue), folder)) continue;
        QCoreApplication::installTranslator(translator.release());  // the application owns it
        return QtTextsTranslated();
    }
    qWarning("vantrel: %s not found in %s or %s; Qt's own texts stay untranslated", kQtChineseCatalogue,
             qUtf8Printable(folders[0]), qUtf8Printable(folders[1]));
    return false;
}

}  // namespace vantrel
