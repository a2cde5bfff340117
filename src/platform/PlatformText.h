// Texts of the platform layer's own failures and entries in the user's language. The platform
// sits below the message catalogue, so the catalogue installs its lookup here when it is linked
// in; without it the English text is used.
#pragma once

#include <QString>
#include <QStringList>

namespace qv {

// Catalogue numbers of the texts the platform layer uses.
enum PlatformTextId : int {
    TextDatabaseInUse = 9002,  // ~1 the database file
    TextCannotWrite = 9003,    // ~1 the file, ~2 the system's reason
    TextPrintToPdf = 9011,
    TextPrinterCannotStart = 9023,  // ~1 the printer or PDF file
    TextPrinterNoNewSheet = 9024,
    TextPrinterNotFinished = 9025,
    TextDeviceMissing = 9031,       // ~1 the device path
    TextDeviceNoPermission = 9032,  // ~1 the device path, ~2 its group
    TextDeviceHeld = 9033,          // ~1 the device path
    TextDeviceOpenAlready = 9034,   // ~1 the device path
    TextDeviceOwnerOnly = 9054,     // ~1 the device path, ~2 its owner
    TextDeviceStopped = 9056,       // ~1 the device path
};

using PlatformWording = QString (*)(int id, const QStringList& args);

inline PlatformWording& PlatformWordingInUse() {
    static PlatformWording wording = nullptr;
    return wording;
}
inline void SetPlatformWording(PlatformWording wording) {
    PlatformWordingInUse() = wording;
}

// The catalogue's text `id` with its arguments; `english` (%1, %2 ... for the arguments) when
// no catalogue is installed or it lacks the id.
inline QString PlatformText(int id, const QStringList& args, const QString& english) {
    if (const PlatformWording wording = PlatformWordingInUse()) {
        try {
            return wording(id, args);
        } catch (...) {
        }
    }
    // One pass, so that an argument's own "%2" is never taken for a marker.
    QString text;
    for (qsizetype i = 0; i < english.size(); ++i) {
        const qsizetype n = i + 1 < english.size() ? english[i + 1].digitValue() : -1;
        if (english[i] == u'%' && n >= 1 && n <= args.size()) {
            text += args[n - 1];
            ++i;
        } else {
            text += english[i];
        }
    }
    return text;
}

}  // namespace qv
