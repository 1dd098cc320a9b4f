#pragma once
// Runs tests of the running test program again in a child at another screen pixel ratio: Qt fixes
// the ratio once per process.

#include <gtest/gtest.h>

#include <QtCore/QCoreApplication>
#include <QtCore/QProcess>

#include <string>

inline ::testing::AssertionResult PassAtPixelRatio(const QString& ratio, const QString& filter,
                                                   int count) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_SCALE_FACTOR", ratio);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=" + filter});
    if (!child.waitForFinished(240'000)) {
        return ::testing::AssertionFailure() << "no end at ratio " << ratio.toStdString();
    }
    const QString output = QString::fromLocal8Bit(child.readAll());
    const QString passed = QStringLiteral("[  PASSED  ] %1 test").arg(count);
    if (child.exitCode() != 0 || !output.contains(passed)) {
        return ::testing::AssertionFailure() << "at ratio " << ratio.toStdString() << ":\n"
                                             << output.toStdString();
    }
    return ::testing::AssertionSuccess();
}
