#include "controls/prompts.h"

Prompts &Prompts::instance()
{
    static Prompts prompts;
    return prompts;
}

void Prompts::setAnswerAll(bool on, QMessageBox::StandardButton answer)
{
    m_answerAll = on;
    m_allAnswer = answer;
}

QMessageBox::StandardButton Prompts::ask(QWidget *parent, QMessageBox::Icon icon,
                                         const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton)
{
    if (!m_answers.isEmpty() || m_answerAll) {
        m_asked.append(text);
        return m_answers.isEmpty() ? m_allAnswer : m_answers.dequeue();
    }
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return QMessageBox::StandardButton(box.exec());
}

void Prompts::inform(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                     const QString &text)
{
    ask(parent, icon, title, text, QMessageBox::Ok);
}
