#pragma once

#include <QUrl>
#include <QWidget>

class QLabel;
class QPushButton;

// The bar over the view that says a pop-up was blocked: "Pop-up blocked:
// ADDRESS", with "Open it" (once, in the browser page) and a close button.
class PopupNotice final : public QWidget
{
    Q_OBJECT

public:
    explicit PopupNotice(QWidget *parent = nullptr);
    ~PopupNotice() override;
    Q_DISABLE_COPY_MOVE(PopupNotice)

    QUrl address() const { return m_address; }
    QString text() const;
    QPushButton *openButton() const { return m_open; }

public slots:
    // Shows the bar for this pop-up; "Open it" only for a web address.
    void showBlocked(const QUrl &address);
    void dismiss();

signals:
    void openRequested(const QUrl &address);

private:
    QLabel *m_label;
    QPushButton *m_open;
    QPushButton *m_close;
    QUrl m_address;
};
