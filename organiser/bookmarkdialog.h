#pragma once

#include <QDialog>

class BookmarkPageAccess;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class RatingComboBox;

// Adds a bookmark or edits one: web address, title, comments and star rating.
// It does not write to the store: on OK it hands the values to the page, which
// adds or updates the bookmark. In edit mode the caller has made the bookmark
// current in the store before the dialog is built.
class BookmarkDialog final : public QDialog
{
    Q_OBJECT

public:
    enum class Mode { Add, Edit };

    static constexpr int AddressLimit = 500;
    static constexpr int TitleLimit = 100;
    static constexpr int CommentsLimit = 250;

    BookmarkDialog(BookmarkPageAccess &page, Mode mode, QWidget *parent = nullptr);
    ~BookmarkDialog() override;
    Q_DISABLE_COPY_MOVE(BookmarkDialog)

    // Add mode: an address and title to propose instead of "http://".
    void setPrefill(const QString &address, const QString &title);

    // Comments travel with each line break held as a TAB.
    static QString commentsForStore(const QString &shown);
    static QString commentsForDisplay(const QString &stored);
    // The address as the person gave it, without the preset "http://" left before another scheme.
    static QString addressAsGiven(const QString &address);

    QLineEdit *addressEdit() const { return m_address; }
    QLineEdit *titleEdit() const { return m_title; }
    QPlainTextEdit *commentsEdit() const { return m_comments; }
    RatingComboBox *ratingBox() const { return m_rating; }
    QPushButton *okButton() const;
    // The folder the bookmark goes to (Add) or is in (Edit).
    QLabel *folderLabel() const { return m_folder; }

    void accept() override;
    void setVisible(bool visible) override;

private:
    void buildControls();
    void showCurrentBookmark();
    void updateOkButton();
    void keepCommentsWithinLimit();

    BookmarkPageAccess &m_page;
    Mode m_mode;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_title = nullptr;
    QPlainTextEdit *m_comments = nullptr;
    RatingComboBox *m_rating = nullptr;
    QLabel *m_folder = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    int m_commentsLimit = CommentsLimit;
};
