// For tests of the Qt window: acting on a modal box once it shows (its loop
// blocks the test), and an empty settings store of its own.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

// act must close the box.
inline void WhenModalShows(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start(5);
}

struct PrivateSettings {
    PrivateSettings() {
        QCoreApplication::setOrganizationName("Tarvik");
        QCoreApplication::setApplicationName("Tarvik");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    }
    QTemporaryDir folder;
};
