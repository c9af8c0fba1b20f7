#pragma once

#include <QStyledItemDelegate>

// Edits an item's label in place but leaves the decision to whoever listens:
// the text typed is reported, never written into the item by the delegate.
class LabelEditDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    static constexpr int MaxLength = 1024;

    explicit LabelEditDelegate(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(LabelEditDelegate)

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;

signals:
    // Enter or leaving the editor ends an edit with its text; Escape drops it.
    void labelEdited(const QModelIndex &index, const QString &text) const;
};
