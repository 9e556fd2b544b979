#include "ui/StatusBar.h"

StatusBar::StatusBar(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setBevelStyle(Bevel::Lowered);
}

void StatusBar::setBevelStyle(Bevel bevel)
{
    switch (bevel) {
    case Bevel::None:
        setFrameStyle(QFrame::NoFrame);
        break;
    case Bevel::Lowered:
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        break;
    case Bevel::Raised:
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        break;
    }
}
