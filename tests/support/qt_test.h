// Helpers for tests of the window: a private settings store per test, and
// acting on a modal dialog once it shows (a modal loop blocks the test).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

// Calls act with the modal widget as soon as one is shown. act must close it.
inline void WhenModalShows(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}

// An empty settings store of its own for as long as it lives.
class PrivateSettings {
public:
    PrivateSettings() {
        QCoreApplication::setOrganizationName(QStringLiteral("Tarvik"));
        QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_folder.path());
    }

private:
    QTemporaryDir m_folder;
};

class WindowTest : public ::testing::Test {
protected:
    PrivateSettings settings;
};
