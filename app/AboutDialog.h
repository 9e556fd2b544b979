// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// A fixed dialog with three lines about the tool and an "OK" button, shown
// centred on its owner. "OK" and the close box both release it.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    AboutDialog(QWidget *parent, bool modal);
    AboutDialog(QWidget *parent, const QString &title, bool modal);

    void setVisible(bool visible) override;
    void setBackgroundColour(const QColor &colour);

    void okButton_ActionPerformed();
    void okButton_ActionPerformed_Interaction1();

    QPushButton *okButton;
    QLabel *label1;
    QLabel *label2;
    QLabel *label3;

private:
    void setColours(const QColor &background, const QColor &foreground);
};
