#include "organiser/labeleditdelegate.h"

#include <QLineEdit>

LabelEditDelegate::LabelEditDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QWidget *LabelEditDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setMaxLength(MaxLength);
    return editor;
}

void LabelEditDelegate::setModelData(QWidget *editor, QAbstractItemModel *,
                                     const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        emit labelEdited(index, line->text());
}
