#pragma once

#include <QDialog>

class Hive;
class QCheckBox;
class QLineEdit;

// "Internet Options": the web engine's own settings (home page, JavaScript,
// pictures, the "Do Not Track" request), kept in the hive. OK stores them and
// pages take them up on their next navigation; a failed store keeps the dialog
// open and says so.
class InternetOptionsDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit InternetOptionsDialog(Hive *hive, QWidget *parent = nullptr);
    ~InternetOptionsDialog() override;
    Q_DISABLE_COPY_MOVE(InternetOptionsDialog)

    QLineEdit *homePageEdit() const { return m_homePage; }
    QCheckBox *javaScriptBox() const { return m_javaScript; }
    QCheckBox *imagesBox() const { return m_images; }
    QCheckBox *doNotTrackBox() const { return m_doNotTrack; }

    void accept() override;

private:
    Hive *m_hive;
    QLineEdit *m_homePage;
    QCheckBox *m_javaScript;
    QCheckBox *m_images;
    QCheckBox *m_doNotTrack;
};
