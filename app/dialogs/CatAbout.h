// TAboutBox: the "About" window: the program's icon and name, its version, the credit line and
// two links, the support mail address and the home page, which a click hands to the desktop
// (exactly the "mailto:" or "http://" text the link shows, nothing else); a box says so when
// the desktop has no program for it.
//
// Made for one showing by the dialog factory, which owns it. UI thread only.
#pragma once

#include <QDialog>

class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* Parent = nullptr);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void httpClick(QLabel* Link);

    QLabel* mailto = nullptr;
    QLabel* http = nullptr;
};
