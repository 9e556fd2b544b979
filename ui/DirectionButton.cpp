// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/DirectionButton.h"

DirectionButton::DirectionButton(Direction direction, QWidget *parent) : QToolButton(parent)
{
    setDirection(direction);
}

void DirectionButton::setDirection(Direction direction)
{
    m_direction = direction;
    setArrowType(direction == Direction::Up ? Qt::UpArrow : Qt::DownArrow);
    setAccessibleName(direction == Direction::Up ? tr("Move up") : tr("Move down"));
}
