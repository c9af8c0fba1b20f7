#pragma once

#include "privacy/settings/privacyoptions.h"

#include <QDialog>

class Hive;
class QCheckBox;
class QPushButton;

// "Options": the three removals at exit and the pop-up preset of new browser
// pages. Each click is kept at once; the caller stores the options only when
// the dialog ends with OK. "Internet Options" opens the engine's own settings
// on top of it.
class OptionsDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit OptionsDialog(Hive *hive, QWidget *parent = nullptr);
    ~OptionsDialog() override;
    Q_DISABLE_COPY_MOVE(OptionsDialog)

    void setOptions(const PrivacyOptions &options);
    PrivacyOptions options() const { return m_options; }

    // The check box or button that carries a control id, for tests.
    QCheckBox *checkBox(int id) const;
    QPushButton *internetOptionsButton() const { return m_internetOptions; }

private slots:
    void openInternetOptions();

private:
    QCheckBox *addCheckBox(int id, const QString &text, int PrivacyOptions::*field);

    Hive *m_hive;
    PrivacyOptions m_options;
    QList<QPair<QCheckBox *, int PrivacyOptions::*>> m_boxes;
    QPushButton *m_internetOptions;
};
