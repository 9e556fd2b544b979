// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/AboutDialog.h"

#include "app/DialogFont.h"
#include "configfiles/ContactDetails.h"

#include <QLabel>
#include <QPushButton>

namespace {
const QColor labelRed(226, 29, 34);
const QColor buttonRed(170, 0, 4);
} // namespace

AboutDialog::AboutDialog(QWidget *parent, bool modal)
    : QDialog(parent), okButton(new QPushButton(this)), label1(new QLabel(this)), label2(new QLabel(this)),
      label3(new QLabel(this))
{
    setModal(modal);
    setPalette(formPalette());
    setColours(Qt::black, Qt::black);
    setFont(dialogFont(12, false));
    setFixedSize(557, 131);

    okButton->setText(tr("OK"));
    QPalette buttonPalette = okButton->palette();
    buttonPalette.setColor(QPalette::Button, buttonRed);
    okButton->setPalette(buttonPalette);
    okButton->setGeometry(480, 90, 66, 30);
    okButton->setDefault(true);

    const std::pair<QLabel *, QString> lines[] = {
        {label1, tr("Server Configuration Tool Version %1").arg(QStringLiteral(KEZ_VERSION))},
        {label2, tr("Prepares the start-up files of a Quake II server running Kez")},
        {label3, tr("please send any bug reports or comments to ") + ContactDetails::authorEmail()},
    };
    const QRect bounds[] = {QRect(12, 12, 300, 24), QRect(12, 36, 498, 24), QRect(12, 60, 498, 24)};
    for (int i = 0; i < 3; ++i) {
        QLabel *label = lines[i].first;
        label->setText(lines[i].second);
        QPalette red = label->palette();
        red.setColor(QPalette::WindowText, labelRed);
        label->setPalette(red);
        label->setFont(dialogFont(16, true));
        label->setGeometry(bounds[i]);
    }

    setWindowTitle(tr("AWT Application - About"));
    connect(okButton, &QPushButton::clicked, this, &AboutDialog::okButton_ActionPerformed);
    setColours(Qt::black, Qt::black);
}

AboutDialog::AboutDialog(QWidget *parent, const QString &title, bool modal) : AboutDialog(parent, modal)
{
    setWindowTitle(title);
}

void AboutDialog::setVisible(bool visible)
{
    if (visible && parentWidget()) {
        // Integer division truncates toward zero, so an owner narrower than the
        // dialog by an odd number of pixels is halved the same way every time.
        const QRect bounds = parentWidget()->window()->frameGeometry();
        const QRect abounds = frameGeometry();
        move(bounds.x() + (bounds.width() - abounds.width()) / 2,
             bounds.y() + (bounds.height() - abounds.height()) / 2);
    }
    setColours(Qt::black, Qt::black);
    QDialog::setVisible(visible);
}

void AboutDialog::setBackgroundColour(const QColor &colour)
{
    QPalette background = palette();
    background.setColor(QPalette::Window, colour);
    setPalette(background);
}

void AboutDialog::setColours(const QColor &background, const QColor &foreground)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, background);
    colours.setColor(QPalette::WindowText, foreground);
    colours.setColor(QPalette::ButtonText, foreground);
    setPalette(colours);
    setAutoFillBackground(true);
}

void AboutDialog::okButton_ActionPerformed()
{
    okButton_ActionPerformed_Interaction1();
}

void AboutDialog::okButton_ActionPerformed_Interaction1()
{
    accept();
}
