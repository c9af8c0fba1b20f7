#pragma once

#include <QApplication>

#include <memory>

class UserHive;

// The application object: runs the start-up sequence and carries the two
// process-wide flags that tell the folder tree a drag began in this program.
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

    // True only while a drag that started in the folder tree / bookmark list runs.
    static bool folderDragging() { return s_folderDragging; }
    static void setFolderDragging(bool on) { s_folderDragging = on; }
    static bool bookmarkDragging() { return s_bookmarkDragging; }
    static void setBookmarkDragging(bool on) { s_bookmarkDragging = on; }

    int exitCode() const { return m_exitCode; }

private:
    static inline bool s_folderDragging = false;
    static inline bool s_bookmarkDragging = false;

    std::unique_ptr<UserHive> m_userHive;
    int m_exitCode = 0;
};
