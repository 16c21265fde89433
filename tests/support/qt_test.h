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

// Every test gets an empty settings store of its own.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(configHome.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("Tarvik"));
        QCoreApplication::setApplicationName(QStringLiteral("Tarvik"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configHome.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configHome.path());
    }

    QTemporaryDir configHome;
};
