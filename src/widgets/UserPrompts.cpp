#include "widgets/UserPrompts.h"

#include "common/TextUtil.h"
#include "common/WebAddress.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QUrl>

#ifdef _WIN32
#include "common/Win32.h"
#include <shellapi.h>

#include <string>
#endif

namespace vantrel {
namespace {

bool OpenWithSystem(const QString& encodedAddress) {
#ifdef _WIN32
    // The default browser, as Windows opens an address. Only the encoded
    // form reaches the shell: no blank or quote of the address is
    // interpreted there. Values up to 32 are ShellExecute's errors.
    const std::wstring wide = encodedAddress.toStdWString();
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
    return reinterpret_cast<INT_PTR>(result) > 32;
#else
    return QDesktopServices::openUrl(QUrl(encodedAddress, QUrl::StrictMode));
#endif
}

SystemOpener opener = nullptr;

SystemOpener Opener() { return opener ? opener : OpenWithSystem; }

class QtPrompts final : public UserPrompts {
public:
    int messageBox(QWidget* owner, const QString& text, const QString& title, int buttons) override {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::NoButton, owner);
        switch (buttons) {
        case MbYesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MbOkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return IdYes;
        case QMessageBox::No: return IdNo;
        case QMessageBox::Cancel: return IdCancel;
        default: return buttons == MbYesNo ? IdNo : IdOk;
        }
    }

    std::optional<QString> saveFileName(QWidget* owner, const SaveFileRequest& request) override {
        QFileDialog dialog(owner, request.caption, request.directory, request.filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(request.defaultSuffix);
        // A name typed without extension takes the type chosen in the list.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
            const QString suffix = FilterSuffix(filter);
            dialog.setDefaultSuffix(suffix.isEmpty() ? request.defaultSuffix : suffix);
        });
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().front();
    }

    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) override {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, owner);
        if (!ok) return std::nullopt;
        return font;
    }

    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override {
        const QColor color = QColorDialog::getColor(initial, owner);
        if (!color.isValid()) return std::nullopt;
        return color;
    }

    bool openUrl(const QString& address) override {
        if (!IsBrowsableAddress(address)) return false;
        // The rule is checked on the trimmed address; open that one too.
        const QByteArray utf8 = address.toUtf8();
        const auto trimmed = TrimView(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
        const QUrl url(QString::fromUtf8(trimmed.data(), static_cast<qsizetype>(trimmed.size())), QUrl::StrictMode);
        if (!url.isValid()) return false;
        return Opener()(url.toString(QUrl::FullyEncoded));
    }
};

QtPrompts& QtDefault() {
    static QtPrompts prompts;
    return prompts;
}

UserPrompts* installed = nullptr;

}  // namespace

UserPrompts& Prompts() { return installed ? *installed : QtDefault(); }

void SetPrompts(UserPrompts* prompts) { installed = prompts; }

void SetSystemOpener(SystemOpener replacement) { opener = replacement; }

QString FilterSuffix(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const auto match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

// The same rule as the core's (the online-banking address is checked there
// before it reaches here): one function, so both accept the same addresses.
bool IsBrowsableAddress(const QString& address) {
    const QByteArray utf8 = address.toUtf8();
    return CheckBrowsableAddress(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size()))).ok();
}

}  // namespace vantrel
