#include "ui/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "ui/dialog.h"

namespace settings {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString Key(const char* section, const char* key) {
    return QString::fromUtf8(section) + QLatin1Char('/') + QString::fromUtf8(key);
}

// Creates the file empty and private before the first write: QSettings
// replaces it through a temporary file that takes over the old file's
// permissions, so the password is never readable by others, not even briefly.
void MakePrivate(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        QDir().mkpath(info.absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly)) {
            file.close();
        }
    }
    QFile::setPermissions(path, kOwnerOnly);
}

}  // namespace

QString FilePath() {
    return QSettings().fileName();
}

std::string GetProfileString(const char* section, const char* key, const char* fallback) {
    const QVariant value = QSettings().value(Key(section, key));
    if (!value.isValid() || value.typeId() != QMetaType::QString) {
        return fallback;
    }
    return ToEightBit(value.toString());
}

int WriteProfileString(const char* section, const char* key, const std::string& value) {
    MakePrivate(FilePath());
    QSettings store;
    store.setValue(Key(section, key), FromEightBit(value));
    store.sync();
    QFile::setPermissions(store.fileName(), kOwnerOnly);
    return store.status() == QSettings::NoError ? 1 : 0;
}

}  // namespace settings
