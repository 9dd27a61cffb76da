// The built program as a user starts it: without a display it explains how
// to run it instead of aborting; on the virtual drive it gets to " Ready.".
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

// The build puts the program beside the test folder: build/src/ui/qt/tapewren.
QString ProgramPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../src/ui/qt/tapewren");
}

}  // namespace

class ProgramStartTest : public testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo(ProgramPath()).isExecutable()) GTEST_SKIP() << "tapewren is not built";
        environment = QProcessEnvironment::systemEnvironment();
        ASSERT_TRUE(cartridges.isValid());
        environment.insert(QStringLiteral("TAPEWREN_VTAPE"), cartridges.path());
        // Whatever the program remembers stays out of the user's settings.
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), cartridges.path() + QStringLiteral("/config"));
    }
    int Run(QString& out, QString& err) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(ProgramPath(), {});
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }

    QProcessEnvironment environment;
    QTemporaryDir cartridges;
};

TEST_F(ProgramStartTest, WithoutADisplaySaysHowToRunItAndExits1) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(QString::fromUtf8(name));
    QString out;
    QString err;
    EXPECT_EQ(Run(out, err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("no display"))) << err.toStdString();
    // The line names the program as it was started, ready to paste.
    EXPECT_TRUE(err.contains(QRegularExpression(QStringLiteral("xvfb-run -a \\S*tapewren\n"))))
        << err.toStdString();
}

TEST_F(ProgramStartTest, ReachesReadyOnTheVirtualDrive) {
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TAPEWREN_EXIT_WHEN_READY"), QStringLiteral("1"));
    QString out;
    QString err;
    EXPECT_EQ(Run(out, err), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("status \" Ready.\""))) << out.toStdString();
}
