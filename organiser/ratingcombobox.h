#pragma once

#include <QComboBox>

// The star rating list: six entries, "not set" and one to five stars, each
// with its picture; an entry's position is the rating.
class RatingComboBox final : public QComboBox
{
    Q_OBJECT

public:
    static constexpr int MaxRating = 5;

    explicit RatingComboBox(QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(RatingComboBox)

    int rating() const { return std::max(currentIndex(), 0); }
    // Values outside 0..5 select "not set".
    void setRating(int rating);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
};
