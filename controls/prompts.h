#pragma once

#include <QMessageBox>
#include <QQueue>
#include <QStringList>

// The one way the program asks the user a question or tells them something.
// Tests queue answers in advance; a queued answer is taken instead of showing
// a message box, and every text asked is recorded.
class Prompts final
{
public:
    static Prompts &instance();

    QMessageBox::StandardButton ask(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                    const QString &text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
    void inform(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text);

    // Test seam.
    void queueAnswer(QMessageBox::StandardButton answer) { m_answers.enqueue(answer); }
    void setAnswerAll(bool on, QMessageBox::StandardButton answer = QMessageBox::Ok);
    QStringList takeAsked() { return std::exchange(m_asked, {}); }
    int pendingAnswers() const { return int(m_answers.size()); }

private:
    Prompts() = default;

    QQueue<QMessageBox::StandardButton> m_answers;
    QStringList m_asked;
    bool m_answerAll = false;
    QMessageBox::StandardButton m_allAnswer = QMessageBox::Ok;
};
