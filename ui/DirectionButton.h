// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QToolButton>

// A small push button that shows an arrow instead of a caption.
class DirectionButton : public QToolButton
{
    Q_OBJECT

public:
    enum class Direction { Up, Down };

    explicit DirectionButton(Direction direction = Direction::Up, QWidget *parent = nullptr);

    void setDirection(Direction direction);
    Direction direction() const { return m_direction; }

private:
    Direction m_direction = Direction::Up;
};
