#include "ui/qt/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>

#include "ui/qt/eight_bit_text.h"

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString Key(const char* section, const char* key) {
    return QString::fromUtf8(section) + QLatin1Char('/') + QString::fromUtf8(key);
}

// The store's own folder is private too: if others could write to it, they
// could replace the file, name a server of theirs and collect the password.
// The folders above it are the user's business.
void MakeFolderPrivate(const QString& folder) {
    QDir().mkpath(QFileInfo(folder).absolutePath());
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    if (::mkdir(path.constData(), 0700) == 0 ||
        (::stat(path.constData(), &info) == 0 && (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)) {
        ::chmod(path.constData(), 0700);  // whatever the umask made of it
    }
}

// Creates the file empty and private before the first write: QSettings
// replaces it through a temporary file that takes over the old file's
// permissions, so the password is never readable by others, not even briefly.
void MakePrivate(const QString& path) {
    const QFileInfo info(path);
    MakeFolderPrivate(info.absolutePath());
    if (!info.exists()) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly)) {
            file.close();
        }
    }
    QFile::setPermissions(path, kOwnerOnly);
}

}  // namespace

QString SettingsFile::FilePath() {
    return QSettings().fileName();
}

std::string SettingsFile::GetProfileString(const char* section, const char* key,
                                           const char* fallback) const {
    const QVariant value = QSettings().value(Key(section, key));
    if (!value.isValid() || value.typeId() != QMetaType::QString) {
        return fallback;
    }
    return ToEightBit(value.toString());
}

int SettingsFile::WriteProfileString(const char* section, const char* key,
                                     const std::string& value) {
    MakePrivate(FilePath());
    QSettings store;
    store.setValue(Key(section, key), FromEightBit(value));
    store.sync();
    QFile::setPermissions(store.fileName(), kOwnerOnly);
    return store.status() == QSettings::NoError ? 1 : 0;
}

SettingsStore& UserSettings() {
    static SettingsFile file;
    return file;
}
