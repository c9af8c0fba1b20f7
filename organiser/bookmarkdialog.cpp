#include "organiser/bookmarkdialog.h"

#include "organiser/bookmarkpageaccess.h"
#include "organiser/organiserpictures.h"
#include "organiser/ratingcombobox.h"
#include "store/bookmarkrecord.h"
#include "store/bookmarkstore.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

const QString Scheme = QStringLiteral("http://");

QLabel *makeLabel(const QString &text, bool bold, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    return label;
}

QLabel *makeHint(const QString &text, QWidget *parent)
{
    QLabel *label = makeLabel(text, false, parent);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

// A caption with a quieter hint beside it.
QHBoxLayout *captionRow(QLabel *caption, QLabel *hint)
{
    auto *row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(caption);
    if (hint)
        row->addWidget(hint);
    row->addStretch();
    return row;
}

} // namespace

BookmarkDialog::BookmarkDialog(BookmarkPageAccess &page, Mode mode, QWidget *parent)
    : QDialog(parent), m_page(page), m_mode(mode)
{
    buildControls();
    if (m_mode == Mode::Add) {
        setWindowTitle(tr("Add a New Bookmark"));
        m_folder->setText(m_page.selectedFolderName());
        m_address->setText(Scheme);
    } else {
        setWindowTitle(tr("Edit Bookmark"));
        showCurrentBookmark();
    }
    // A text already longer than a limit (from an import) is kept whole.
    m_address->setMaxLength(std::max<int>(AddressLimit, m_address->text().size()));
    m_title->setMaxLength(std::max<int>(TitleLimit, m_title->text().size()));
    updateOkButton();
}

BookmarkDialog::~BookmarkDialog() = default;

void BookmarkDialog::buildControls()
{
    setWindowIcon(OrganiserPictures::bookmark());
    m_address = new QLineEdit(this);
    m_title = new QLineEdit(this);
    m_comments = new QPlainTextEdit(this);
    m_comments->setTabChangesFocus(true);
    m_comments->setFixedHeight(m_comments->fontMetrics().lineSpacing() * 5 +
                               2 * m_comments->frameWidth() + 8);
    m_rating = new RatingComboBox(this);
    m_folder = makeLabel(QString(), true, this);
    m_folder->setTextFormat(Qt::PlainText);

    QLabel *addressCaption = makeLabel(tr("Web Site Address:"), true, this);
    QLabel *titleCaption = makeLabel(tr("Site Title:"), true, this);
    QLabel *commentsCaption = makeLabel(tr("Site comments:"), true, this);
    QLabel *ratingCaption = makeLabel(tr("Star rating:"), true, this);
    addressCaption->setBuddy(m_address);
    titleCaption->setBuddy(m_title);
    commentsCaption->setBuddy(m_comments);
    ratingCaption->setBuddy(m_rating);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton()->setDefault(true);

    auto *ratingRow = new QHBoxLayout;
    ratingRow->addWidget(m_rating);
    ratingRow->addStretch();
    ratingRow->addWidget(makeLabel(tr("Add to Folder:"), false, this));
    ratingRow->addWidget(m_folder);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    layout->addLayout(captionRow(addressCaption, nullptr));
    layout->addWidget(m_address);
    layout->addSpacing(8);
    layout->addLayout(captionRow(titleCaption, makeHint(tr("(optional)"), this)));
    layout->addWidget(m_title);
    layout->addSpacing(8);
    layout->addLayout(
        captionRow(commentsCaption, makeHint(tr("(eg: Site Username & Password)"), this)));
    layout->addWidget(m_comments);
    layout->addSpacing(8);
    layout->addLayout(captionRow(ratingCaption, makeHint(tr("(optional)"), this)));
    layout->addLayout(ratingRow);
    layout->addSpacing(12);
    layout->addWidget(m_buttons);
    setMinimumWidth(440);

    connect(m_address, &QLineEdit::textChanged, this, &BookmarkDialog::updateOkButton);
    connect(m_comments, &QPlainTextEdit::textChanged, this,
            &BookmarkDialog::keepCommentsWithinLimit);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &BookmarkDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &BookmarkDialog::reject);
}

void BookmarkDialog::showCurrentBookmark()
{
    const CurrentBookmark &current = m_page.store().currentBookmark();
    // The bookmark's own folder, wherever the dialog was opened from.
    m_folder->setText(current.folderName.isEmpty() ? tr("Favorites") : current.folderName);
    m_address->setText(current.address);
    m_title->setText(current.title);
    const QString comments = commentsForDisplay(current.comments);
    m_commentsLimit = std::max<int>(CommentsLimit, comments.size());
    m_comments->setPlainText(comments);
    m_rating->setRating(current.rating);
}

void BookmarkDialog::setPrefill(const QString &address, const QString &title)
{
    if (m_mode != Mode::Add)
        return;
    m_address->setMaxLength(std::max<int>(AddressLimit, address.size()));
    m_title->setMaxLength(std::max<int>(TitleLimit, title.size()));
    m_address->setText(address);
    m_title->setText(title);
}

QPushButton *BookmarkDialog::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

// Blanks around an address are no part of it; an address of blanks is empty.
void BookmarkDialog::updateOkButton()
{
    const QString address = m_address->text().trimmed();
    okButton()->setEnabled(!address.isEmpty() && address != Scheme);
}

// A plain text edit has no length limit of its own: whatever would pass the
// limit is taken back out where it was just typed or pasted.
void BookmarkDialog::keepCommentsWithinLimit()
{
    const int excess = m_comments->document()->characterCount() - 1 - m_commentsLimit;
    if (excess <= 0)
        return;
    QTextCursor cursor = m_comments->textCursor();
    const int end = cursor.position();
    if (end >= excess) {
        cursor.setPosition(end - excess);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
    } else {
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, excess);
    }
    cursor.removeSelectedText();
    m_comments->setTextCursor(cursor);
}

// After QDialog has focused the first field: the address starts selected, so
// that what is typed or pasted replaces the preset "http://".
void BookmarkDialog::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (visible && m_mode == Mode::Add) {
        m_address->setFocus(Qt::OtherFocusReason);
        m_address->selectAll();
    }
}

// "http://" typed after the preset, or a whole address pasted behind it.
QString BookmarkDialog::addressAsGiven(const QString &address)
{
    static const QRegularExpression doubled(QStringLiteral("^http://(?=[a-z][a-z0-9+.-]*://)"),
                                            QRegularExpression::CaseInsensitiveOption);
    QString given = address;
    return given.remove(doubled);
}

QString BookmarkDialog::commentsForStore(const QString &shown)
{
    QString stored = shown;
    return stored.replace(QLatin1Char('\n'), QLatin1Char('\t'));
}

QString BookmarkDialog::commentsForDisplay(const QString &stored)
{
    QString shown = stored;
    // A carriage return before a held line break is the rest of a CR LF pair.
    shown.replace(QLatin1String("\r\t"), QLatin1String("\t"));
    return shown.replace(QLatin1Char('\t'), QLatin1Char('\n'));
}

void BookmarkDialog::accept()
{
    if (!okButton()->isEnabled())
        return; // Enter in a field must not get past the check
    BookmarkRecord fields;
    fields.address = addressAsGiven(m_address->text().trimmed());
    fields.title = m_title->text();
    fields.comments = commentsForStore(m_comments->toPlainText());
    fields.rating = m_rating->rating();
    m_page.setEditedBookmark(fields);
    QDialog::accept();
}
