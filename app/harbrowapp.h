#pragma once

#include <QApplication>

#include <memory>

class UserHive;

// The application object: runs the start-up sequence.
class HarbrowApp final : public QApplication
{
    Q_OBJECT

public:
    HarbrowApp(int &argc, char **argv);
    ~HarbrowApp() override;

    static HarbrowApp *instance();

    // Opens the user's hive, greets a first run, then runs the main window until
    // it closes. Always returns false: there is no event loop after it.
    bool InitInstance();

    int exitCode() const { return m_exitCode; }

private:
    void warnOfLaterDamage(QWidget *window);

    std::unique_ptr<UserHive> m_userHive;
    int m_exitCode = 0;
};
